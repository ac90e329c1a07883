// libFuzzer targets for every reader of outside data, in one program: it is
// started through a link named after the target (build_fuzzers.sh makes
// them), so that each target keeps its own corpus, seeds and findings. A
// failed check stops the run as a finding.
#include "Agenda.h"
#include "Calibration.h"
#include "CameraSource.h"
#include "Console.h"
#include "DigitReader.h"
#include "PuzzleFile.h"
#include "SessionSettings.h"
#include "Sudoku.h"
#include "SyntheticCamera.h"
#include "TestSettings.h"
#include "TextureImage.h"
#include "XMLDoc.h"

#include <opencv2/calib3d.hpp>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

void check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "fuzz check failed: %s\n", what);
        std::abort();
    }
}

FILE* const sink = std::fopen("/dev/null", "w");

// Scratch files are per process (several fuzzers may run side by side), in
// TMPDIR when it is set.
const std::string& scratchPath() {
    static const char* folder = std::getenv("TMPDIR");
    static const std::string path = std::string(folder && *folder ? folder : "/tmp") +
                                    "/tabrelo-fuzz-" + std::to_string(getpid());
    return path;
}

// For readers that take a path: the input as a file, rewritten for every input.
const char* inputFile(const uint8_t* data, size_t size, const std::string& path = scratchPath()) {
    FILE* f = std::fopen(path.c_str(), "wb");
    check(f && std::fwrite(data, 1, size, f) == size && std::fclose(f) == 0, "scratch file written");
    return path.c_str();
}

// Calibration files ("camcalib.txt") are taken whole with finite numbers,
// positive focal lengths and a terminated name, or refused without a change;
// pixels can be undistorted with a calibration taken.
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
    const std::vector<cv::Point2f> pixels{{0, 0}, {319.5f, 239.5f}, {639, 479}};
    std::vector<cv::Point2f> rays;
    cv::undistortPoints(pixels, rays, cv::Matx33f(calibration.intrinsic),
                        cv::Vec4f(calibration.distortion));
}

// Console answers at start-up (name, test, grid number, permutation) and then
// for a new free game: names keep their files inside their folders, and the
// puzzle chosen is loaded as the shell loads it (a refused permutation falls
// back to the board's, a missing puzzle file to the fallback file).
void checkConsoleFiles(SessionSettings& session) {
    const std::string folder = std::string(session.testFolder) + "/";
    // Without room for the name in the path there is no agenda file: the
    // series is then refused in one line and a free game played.
    const char* user = session.userPath();
    if (user[0]) {
        check(std::strncmp(user, folder.c_str(), folder.size()) == 0,
              "the agenda lies in the test folder");
        check(std::strchr(user + folder.size(), '/') == nullptr, "the player names no folder");
        const size_t length = std::strlen(user);
        check(length > folder.size() + 4 && std::strcmp(user + length - 4, ".xml") == 0,
              "the agenda is an .xml file");
    }
    check(std::strncmp(session.gridPath(), "sudoku-grids/g", 14) == 0,
          "puzzles come from their folder");
}

void loadChosenPuzzle(Sudoku& board, SessionSettings& session) {
    if (!board.setPermutationNumber(session.permutation))
        session.permutation = board.permutationNumber;
    check(session.permutation >= 0 && session.permutation < Sudoku::kPermutationCount,
          "permutation is one of the table");
    board.resetCells();
    if (!readPuzzle(board, session.gridPath())) readPuzzle(board, kFallbackPuzzlePath);
    permute(board);
}

void consoleAnswers(const uint8_t* data, size_t size) {
    const std::string answers(data, data + size);
    FILE* in = fmemopen((void*)answers.data(), answers.size(), "r");
    if (!in) return;  // fmemopen refuses an empty buffer
    SessionSettings session;
    Sudoku board;
    askUserName(session, in, sink);
    askTestName(session, in, sink);
    for (int game = 0; game < 2; game++) {
        askGridNumber(session, in, sink);
        askPermutation(session, in, sink);
        checkConsoleFiles(session);
        loadChosenPuzzle(board, session);
    }
    std::fclose(in);
}

// Images the camera side loads: the second frame of an image sequence after a
// good first one, a digit pattern through its loader, matched against a
// patch, and cv::imread as for "imgs/digit/" and "imgs/11x11/". Every frame is
// turned grey and every image into the pixels of a digit texture.
void checkTexture(const cv::Mat& image) {
    const cv::Mat rgb = textureImage(image, 0.8f);
    if (image.channels() == 1 || image.channels() == 3 || image.channels() == 4)
        check(rgb.type() == CV_8UC3 && rgb.size() == image.size(), "texture is 8-bit RGB");
    else
        check(rgb.empty(), "other images give no texture");
}

void patternImage(const uint8_t* data, size_t size) {
    static const std::string folder = scratchPath() + "-sequence/";
    static const bool ready = (mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST) &&
                              cv::imwrite(folder + "000.bmp", cv::Mat(12, 16, CV_8UC3, 200));
    check(ready, "first frame written");
    const std::string second = inputFile(data, size, folder + "001.bmp");

    CameraSource camera;
    check(camera.open(folder + "%03d.bmp") == 1, "a sequence with a good first frame opens");
    cv::Mat frame, grey;
    for (int i = 0; i < 3; i++) {
        check(camera.read(frame) == 1, "a sequence keeps delivering");
        check(frame.type() == CV_8UC3 && !frame.empty(), "frames are colour images");
        cv::cvtColor(frame, grey, cv::COLOR_BGR2GRAY);
        checkTexture(grey);
        checkTexture(frame);
    }
    // A pattern is usable (8-bit grey, no larger than a cell patch) or refused.
    cv::Mat patterns[10];
    patterns[1] = loadPattern(second.c_str(), stderr);
    if (!patterns[1].empty()) {
        check(patterns[1].type() == CV_8UC1 && patterns[1].rows <= 28 && patterns[1].cols <= 28,
              "a pattern taken fits a patch");
        cv::Mat patch(28, 28, CV_8UC1, cv::Scalar(255));
        cv::circle(patch, cv::Point(14, 14), 6, cv::Scalar(0), -1);
        float score = 0;
        const int digit = classifyPatch(patch, patterns, &score, 0, stderr);
        check(digit == 1 || digit == -1, "the only pattern or none is chosen");
    }
    cv::Mat image;
    try {
        image = cv::imread(second, cv::IMREAD_UNCHANGED);
    } catch (const cv::Exception&) {
        return;  // OpenCV refuses some headers by throwing; a loader must catch it
    }
    if (!image.empty()) checkTexture(image);
}

// Puzzle files ("sudoku-grids/g<N>.txt") read into a board of given digits,
// read the same twice, and survive every permutation.
int givens(const Sudoku& board) {
    int count = 0;
    for (const SudokuCell& cell : board.cells) {
        check(cell.digit >= 0 && cell.digit <= 9, "digits are 0..9");
        check((cell.digit == 0) == (cell.kind == Empty), "a digit is given, no digit is empty");
        check(cell.digit == 0 || cell.kind == Given, "read digits are given");
        count += cell.digit != 0;
    }
    return count;
}

void puzzleFile(const uint8_t* data, size_t size) {
    const char* path = inputFile(data, size);
    Sudoku board;
    check(readPuzzle(board, path) == 1, "a file that opens is read");
    check(board.difficulty >= 0 && board.difficulty <= 4, "difficulty is a level or none");
    const int count = givens(board);
    Sudoku again;
    again.setDigit(4, 4, 5, Entered);
    readPuzzle(again, path);
    for (int i = 0; i < 81; i++)
        check(again.cells[i].digit == board.cells[i].digit, "the same file reads the same");
    for (int p = 0; p < Sudoku::kPermutationCount; p++) {
        Sudoku permuted = board;
        check(permuted.setPermutationNumber(p) == 1, "every permutation is known");
        permute(permuted);
        check(givens(permuted) == count, "a permutation keeps every given");
        check(permuted.countConflicts() == board.countConflicts(), "a permutation keeps conflicts");
    }
}

// Scene files: one accepted keeps its documented ranges and is filmed, first
// and last frame with their truth, on small frames so that many get through.
bool finitePose(const CameraPose& pose) {
    return std::isfinite(pose.rotation) && std::isfinite(pose.tilt) &&
           std::isfinite(pose.distance) && std::isfinite(pose.shiftX) &&
           std::isfinite(pose.shiftY) && pose.distance > 0 && std::fabs(pose.tilt) < 89;
}

void sceneFile(const uint8_t* data, size_t size) {
    SceneDescription scene;
    if (!readSceneFile(inputFile(data, size), scene)) return;
    check(scene.width >= 16 && scene.width <= 1920 && scene.height >= 16 && scene.height <= 1440,
          "frame size in range");
    check(scene.frames >= 1 && scene.gridNumber >= 0, "frames and puzzle in range");
    check(scene.permutation >= 0 && scene.permutation < Sudoku::kPermutationCount,
          "permutation in range");
    check(finitePose(scene.start) && finitePose(scene.end), "poses usable");
    check(scene.light >= 0 && scene.light <= 1 && scene.blur >= 0 && scene.blur <= 20 &&
              scene.noise >= 0 && scene.noise <= 100 && scene.table >= 0 && scene.table <= 255,
          "image settings in range");
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
        check(frame.cols == scene.width && frame.rows == scene.height && frame.type() == CV_8UC3,
              "frame has the scene's size");
        check(truth.tiles.size() == scene.tiles.size(), "every tile has its truth");
    }
}

// The XML layer, then the settings and agenda readers: a readable file writes
// back in a form that reads and writes the same again, and an agenda survives
// its own file and walks to its end.
void walk(Agenda& agenda) {
    if (agenda.remaining() < 1) return;
    int index = agenda.currentItem();
    for (int games = 0; index >= 0; games++) {
        check(index < agenda.length, "item inside the agenda");
        check(games <= agenda.length, "every game is reached once");
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
    check(again.readText(once.data(), once.size()) == 1, "written text reads back");
    check(again.text() == once, "written text writes the same again");
    SessionSettings session;
    Sudoku board;
    TestSettings settings;
    settings.read(doc, session, board);
    settings.print(sink);
    Agenda agenda;
    if (agenda.read(doc) > 0) {
        check(agenda.length <= Agenda::kCapacity, "length inside the slots");
        check(agenda.current >= 0 && agenda.current < agenda.length, "current inside the agenda");
        agenda.print(settings, sink);
        XMLDoc file;
        agenda.toDoc(file, "player");
        Agenda back;
        check(back.read(file) == agenda.length, "agenda length survives its file");
        check(back.current == agenda.current && back.step == agenda.step, "walk survives its file");
        check(std::memcmp(back.items, agenda.items, agenda.length * sizeof(AgendaItem)) == 0,
              "items survive their file");
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
    if (!target) {
        std::fprintf(stderr, "%s is no fuzz target; start it through a link named", name);
        for (const auto& t : kTargets) std::fprintf(stderr, " %s", t.name);
        std::fprintf(stderr, "\n");
        std::exit(1);
    }
    (void)argc;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    target(data, size);
    return 0;
}
