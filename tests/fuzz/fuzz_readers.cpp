// libFuzzer targets for every reader of outside data, in one program: it is
// started through a link named after the target (build_fuzzers.sh makes
// them), so that each target keeps its own corpus, seeds and findings. A
// failed check stops the run as a finding.
#include "Agenda.h"
#include "Calibration.h"
#include "Console.h"
#include "DigitReader.h"
#include "PuzzleFile.h"
#include "SessionSettings.h"
#include "Sudoku.h"
#include "SyntheticCamera.h"
#include "TestSettings.h"
#include "TextureImage.h"
#include "XMLDoc.h"

#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

void check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "fuzz check failed: %s\n", what);
        std::abort();
    }
}

FILE* const sink = std::fopen("/dev/null", "w");

// For readers that take a path: the input as a file, rewritten for every
// input; per process (several fuzzers may run side by side), in TMPDIR when set.
const char* inputFile(const uint8_t* data, size_t size) {
    static const char* folder = std::getenv("TMPDIR");
    static const std::string path = std::string(folder && *folder ? folder : "/tmp") +
                                    "/tabrelo-fuzz-" + std::to_string(getpid());
    FILE* f = std::fopen(path.c_str(), "wb");
    check(f && std::fwrite(data, 1, size, f) == size && std::fclose(f) == 0, "scratch file written");
    return path.c_str();
}

// Calibration files ("camcalib.txt") are taken whole with finite numbers,
// positive focal lengths and a terminated name, or refused without a change.
void calibrationFile(const uint8_t* data, size_t size) {
    CameraCalibration calibration;
    const CameraCalibration before = calibration;
    if (!readCalibration(inputFile(data, size), calibration, nullptr)) {
        check(std::memcmp(&before, &calibration, sizeof before) == 0,
              "a refused file changes nothing");
        return;
    }
    check(calibration.intrinsic[0] > 0 && calibration.intrinsic[4] > 0,
          "a calibration taken has positive focal lengths");
    check(std::memchr(calibration.name, '\0', sizeof calibration.name) != nullptr,
          "the name is terminated");
    for (float v : calibration.intrinsic) check(std::isfinite(v), "intrinsics are finite");
    for (float v : calibration.distortion) check(std::isfinite(v), "distortion is finite");
}

// Console answers at start-up (name, test, grid number, permutation) and then
// for a new free game: puzzles come from their folder. (Where names put their
// files is checked on many more names by the unit tests.)
void consoleAnswers(const uint8_t* data, size_t size) {
    const std::string answers(data, data + size);
    FILE* in = fmemopen((void*)answers.data(), answers.size(), "r");
    if (!in) return;  // fmemopen refuses an empty buffer
    SessionSettings session;
    askUserName(session, in, sink);
    askTestName(session, in, sink);
    for (int game = 0; game < 2; game++) {
        askGridNumber(session, in, sink);
        askPermutation(session, in, sink);
        check(std::strncmp(session.gridPath(), "sudoku-grids/g", 14) == 0,
              "puzzles come from their folder");
    }
    std::fclose(in);
}

// Images the camera side loads: a digit pattern through its loader, matched
// against a patch, and cv::imread as for "imgs/digit/" and "imgs/11x11/",
// turned into the pixels of a digit texture.
void patternImage(const uint8_t* data, size_t size) {
    const std::string path = inputFile(data, size);
    // A pattern is usable (8-bit grey, no larger than a cell patch) or refused.
    cv::Mat patterns[10];
    patterns[1] = loadPattern(path.c_str(), stderr);
    if (!patterns[1].empty()) {
        check(patterns[1].type() == CV_8UC1 && patterns[1].rows <= 28 && patterns[1].cols <= 28,
              "a pattern taken fits a patch");
        cv::Mat patch(28, 28, CV_8UC1, cv::Scalar(255));
        cv::circle(patch, cv::Point(14, 14), 6, cv::Scalar(0), -1);
        float score = 0;
        classifyPatch(patch, patterns, &score, 0, stderr);
    }
    cv::Mat image;
    try {
        image = cv::imread(path, cv::IMREAD_UNCHANGED);
    } catch (const cv::Exception&) {
        return;  // OpenCV refuses some headers by throwing; a loader must catch it
    }
    if (image.empty()) return;
    const cv::Mat rgb = textureImage(image, 0.8f);
    const int channels = image.channels();
    check(channels == 2 || channels > 4 ? rgb.empty() : rgb.type() == CV_8UC3 && rgb.size() == image.size(),
          "textures are 8-bit RGB");
}

// Puzzle files ("sudoku-grids/g<N>.txt") read into a board of given digits,
// the same over a board in play.
void puzzleFile(const uint8_t* data, size_t size) {
    const char* path = inputFile(data, size);
    Sudoku board, again;
    check(readPuzzle(board, path) == 1, "a file that opens is read");
    check(board.difficulty >= 0 && board.difficulty <= 4, "difficulty is a level or none");
    again.setDigit(4, 4, 5, Entered);
    readPuzzle(again, path);
    for (int i = 0; i < 81; i++) {
        const SudokuCell& cell = board.cells[i];
        check(cell.digit >= 0 && cell.digit <= 9, "digits are 0..9");
        check(cell.kind == (cell.digit ? Given : Empty), "read digits are given, the rest empty");
        check(again.cells[i].digit == cell.digit, "the same file reads the same");
    }
}

// Scene files: one accepted has usable poses and is filmed, first and last
// frame with their truth, on small frames so that many get through.
void sceneFile(const uint8_t* data, size_t size) {
    SceneDescription scene;
    if (!readSceneFile(inputFile(data, size), scene)) return;
    for (const CameraPose& p : {scene.start, scene.end})
        check(std::isfinite(p.rotation + p.shiftX + p.shiftY) && p.distance > 0 &&
                  p.distance < HUGE_VAL && std::fabs(p.tilt) < 89,
              "poses usable");
    for (const SceneTile& tile : scene.tiles)
        check(tile.digit >= 0 && tile.digit <= 9, "tile digits are 0..9");
    scene.width = 16 + scene.width % 17;
    scene.height = 16 + scene.height % 13;
    SyntheticCamera camera;
    if (!camera.open(scene)) return;
    cv::Mat frame;
    FrameTruth truth;
    for (int f : {0, scene.frames - 1}) {
        camera.render(f, frame, &truth);
        check(frame.size() == cv::Size(scene.width, scene.height) &&
                  truth.tiles.size() == scene.tiles.size(),
              "frame of the scene's size, every tile with its truth");
    }
}

// The XML layer, then the settings and agenda readers: a readable file writes
// back in a form that reads and writes the same again, and an agenda survives
// its own file and walks to its end.
void walk(Agenda& agenda) {
    if (agenda.remaining() < 1) return;
    int index = agenda.currentItem();
    for (int games = 0; index >= 0; games++) {
        check(index < agenda.length && games <= agenda.length, "every game inside, reached once");
        agenda.record(games);
        index = agenda.nextItem();
    }
}

void studyFiles(const uint8_t* data, size_t size) {
    XMLDoc doc;
    if (!doc.readText((const char*)data, size)) {
        check(doc.errors.size() == 1 && !doc.root(), "unreadable means empty with one error");
        return;
    }
    const XS_String once = doc.text();
    XMLDoc again;
    check(again.readText(once.data(), once.size()) == 1 && again.text() == once,
          "written text reads back and writes the same again");
    SessionSettings session;
    Sudoku board;
    TestSettings settings;
    settings.read(doc, session, board);
    settings.print(sink);
    Agenda agenda;
    if (agenda.read(doc) > 0) {
        check(agenda.length <= Agenda::kCapacity && agenda.current >= 0 &&
                  agenda.current < agenda.length,
              "length and current inside the slots");
        agenda.print(settings, sink);
        XMLDoc file;
        agenda.toDoc(file, "player");
        Agenda back;
        check(back.read(file) == agenda.length && back.current == agenda.current &&
                  back.step == agenda.step &&
                  std::memcmp(back.items, agenda.items, agenda.length * sizeof(AgendaItem)) == 0,
              "the agenda survives its file");
        walk(agenda);
    }
    Agenda built;
    built.build(settings, (unsigned)size);
    walk(built);
}

const struct {
    const char* name;
    void (*run)(const uint8_t*, size_t);
} kTargets[] = {
    {"fuzz_calibration", calibrationFile}, {"fuzz_console", consoleAnswers},
    {"fuzz_pattern_images", patternImage}, {"fuzz_puzzle_file", puzzleFile},
    {"fuzz_scene_file", sceneFile},        {"fuzz_study_files", studyFiles},
};

void (*target)(const uint8_t*, size_t) = nullptr;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    const char* slash = std::strrchr((*argv)[0], '/');
    const char* name = slash ? slash + 1 : (*argv)[0];
    for (const auto& t : kTargets)
        if (std::strcmp(name, t.name) == 0) target = t.run;
    (void)argc;
    if (target) return 0;
    std::fprintf(stderr, "%s is no fuzz target; start it through a link named after one\n", name);
    std::exit(1);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    target(data, size);
    return 0;
}
