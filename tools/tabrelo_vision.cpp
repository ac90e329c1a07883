// Runs the camera step without windows over every frame of its sources and
// writes one CSV row per frame to standard output:
//   tabrelo-vision [--debug N] [--frames N] [--save FOLDER] [--teach] SOURCE...
// A source is anything TABRELO_CAMERA accepts or an image file. Corners are
// where grid model points (0,0), (9,0), (9,9), (0,9) appear under the frame's
// pose, in pixels of the source picture (top-left origin); the digits are
// those read on a found grid, the tiles those seen in tiles mode with the
// overview panes on (`digit@x:y:angle`, grid model units and degrees).
// Scenes add their ground truth and the largest corner error. Exit status 2
// when a source could not be opened. --save writes every frame's live
// picture, with the grid frame and (from debug level 2) the search's lines,
// as FOLDER/<source name>-<frame>.png. --teach reads the digits of a picture
// beside which lies a truth file (<name>.dat: two lines, then the 81 digits,
// top row first) with patterns taught from that picture alone: one cell per
// digit, as the operator would click, instead of the shipped ones.
#include "CameraStep.h"

#include <opencv2/imgcodecs.hpp>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const float kCorners[4][2] = {{0, 0}, {9, 0}, {9, 9}, {0, 9}};

// Found by a search, followed by tracking, lost by tracking, or still searching.
const char* stateName(int before, int after) {
    if (after) return before ? "tracked" : "found";
    return before ? "lost" : "searching";
}

std::string picturePath(const std::string& folder, const std::string& source, long frame) {
    const size_t slash = source.find_last_of('/');
    std::string name = slash == std::string::npos ? source : source.substr(slash + 1);
    const size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0) name.erase(dot);
    return folder + "/" + name + "-" + std::to_string(frame) + ".png";
}

// The tunables are made for 640 x 480: larger pictures are scaled to fit.
cv::Size workingSize(cv::Size picture) {
    const double f = std::min(1.0, std::min(640.0 / picture.width, 480.0 / picture.height));
    return cv::Size(std::max(1, (int)std::lround(picture.width * f)),
                    std::max(1, (int)std::lround(picture.height * f)));
}

// 81 characters, the top row of the printed puzzle first: 1-9, 0 empty, ?
// unknown. The camera's table counts its rows from the bottom.
void printDigits(const int* digits, int fromBottom, FILE* csv) {
    for (int r = 0; r < 9; r++)
        for (int c = 0; c < 9; c++) {
            const int d = digits[9 * (fromBottom ? 8 - r : r) + c];
            std::fputc(d >= 0 && d <= 9 ? '0' + d : '?', csv);
        }
}

// The 81 digits of the truth file beside a picture, top row first; false
// without a readable one.
bool readTruthDigits(const std::string& source, int digits[81]) {
    const size_t dot = source.find_last_of('.');
    if (dot == std::string::npos) return false;
    FILE* f = std::fopen((source.substr(0, dot) + ".dat").c_str(), "r");
    if (!f) return false;
    char line[256];
    bool ok = std::fgets(line, sizeof line, f) && std::fgets(line, sizeof line, f);
    for (int i = 0; ok && i < 81; i++)
        ok = std::fscanf(f, "%d", &digits[i]) == 1 && digits[i] >= 0 && digits[i] <= 9;
    std::fclose(f);
    return ok;
}

// Replaces the patterns with ones cut from the first cell of each digit in
// the truth (top row first; the board image counts rows from the bottom)
// and reads the cells again.
void teachFromTruth(GridVision& vision, const cv::Mat& grey, const int truth[81]) {
    DigitPatterns& patterns = vision.digits.patterns;
    patterns = DigitPatterns();
    const cv::Mat rectified = rectifyBoard(vision, grey);
    cv::Mat thresholded;
    thresholdRectified(rectified, thresholded);
    for (int i = 0; i < 81; i++) {
        const int d = truth[i];
        if (d == 0 || !patterns.thresholded[d].empty()) continue;
        cutPattern(rectified, thresholded, 8 - i / 9, i % 9, patterns.grey[d],
                   patterns.thresholded[d], 0, nullptr);
    }
    readDigits(vision, grey);
}

// `digit@x:y:angle` for every tile, separated by `;`.
void printTiles(const std::vector<Tile>& tiles, FILE* csv) {
    for (size_t i = 0; i < tiles.size(); i++)
        std::fprintf(csv, "%s%d@%.2f:%.2f:%d", i ? ";" : "", tiles[i].digit, tiles[i].x,
                     tiles[i].y, tiles[i].angle);
}

// Runs one source; 0 when it could not be opened.
int runSource(const std::string& source, int debugLevel, long maxFrames, int withTruth,
              const std::string& saveFolder, int teach, FILE* csv) {
    CameraState c;
    c.debugLevel = debugLevel;
    c.source.loop = 0;
    cv::Mat frame;
    if (!c.source.open(source)) return 0;
    if (!c.source.read(frame)) {
        std::fprintf(stderr, "%s: no frame\n", source.c_str());
        return 0;
    }
    GridVision vision;
    // Tiles are read as in the game's tiles mode, against a board that takes
    // the digits read.
    Sudoku board;
    c.useMouse = 0;
    c.board = &board;
    int truthDigits[81];
    if (teach && !readTruthDigits(source, truthDigits)) {
        std::fprintf(stderr, "%s: no truth file to teach from\n", source.c_str());
        teach = 0;
    }
    const cv::Size picture = frame.size(), size = workingSize(picture);
    setUpImages(c, vision, size, stderr);
    c.viewWidth = size.width;
    c.viewHeight = size.height;
    const double sx = (double)picture.width / size.width, sy = (double)picture.height / size.height;
    for (long count = 0; count < maxFrames;) {
        takeLiveFrame(c, frame);
        const int before = c.gridFound;
        const auto start = std::chrono::steady_clock::now();
        workOnFrame(c, vision, stderr);
        if (teach && c.gridFound) teachFromTruth(vision, c.grey, truthDigits);
        const double ms =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count();
        std::fprintf(csv, "%s,%ld,%s,%d,%d", source.c_str(), count,
                     stateName(before, c.gridFound), vision.search.horizontal.count,
                     vision.search.vertical.count);
        // The grey frame the pose belongs to is bottom-up.
        cv::Point2f found[4];
        for (int k = 0; k < 4; k++) {
            const cv::Point2f p = vision.projectPoint(kCorners[k][0], kCorners[k][1], 0);
            found[k] = cv::Point2f((float)((p.x + 0.5) * sx - 0.5),
                                   (float)((size.height - 1 - p.y + 0.5) * sy - 0.5));
            if (c.gridFound)
                std::fprintf(csv, ",%.2f,%.2f", found[k].x, found[k].y);
            else
                std::fprintf(csv, ",,");
        }
        std::fprintf(csv, ",%.2f,", ms);
        if (c.gridFound) printDigits(vision.digits.digit, 1, csv);
        DigitTables& digits = vision.digits;
        if (digits.loadPending)
            board.loadRecognizedGrid(digits.digit, digits.flag, digits.snapshot, 9, 9,
                                     digits.readClasses);
        digits.loadPending = 0;
        std::fprintf(csv, ",");
        if (c.gridFound) printTiles(vision.tiles.list, csv);
        const FrameTruth* truth = c.source.truth();
        if (truth) {
            float error = 0;
            for (int k = 0; k < 4; k++) {
                const cv::Point2f t = truth->crossings[10 * (int)kCorners[k][1] + (int)kCorners[k][0]];
                std::fprintf(csv, ",%.2f,%.2f", t.x, t.y);
                error = std::max(error, (float)cv::norm(found[k] - t));
            }
            if (c.gridFound)
                std::fprintf(csv, ",%.2f", error);
            else
                std::fprintf(csv, ",");
            std::fprintf(csv, ",");
            printDigits(truth->digits, 0, csv);
            std::vector<Tile> tiles;
            for (const TileTruth& t : truth->tiles) {
                Tile tile;
                tile.x = (float)t.x;
                tile.y = (float)t.y;
                tile.digit = t.digit;
                tile.angle = wholeTurn((int)std::lround(t.angle));
                tiles.push_back(tile);
            }
            std::fprintf(csv, ",");
            printTiles(tiles, csv);
        } else if (withTruth) {
            std::fprintf(csv, ",,,,,,,,,,,");
        }
        std::fprintf(csv, "\n");
        if (!saveFolder.empty() && !cv::imwrite(picturePath(saveFolder, source, count), c.live))
            std::fprintf(stderr, "cannot write %s\n", picturePath(saveFolder, source, count).c_str());
        if (++count % 100 == 0) std::fprintf(stderr, "%s: %ld frames\n", source.c_str(), count);
        if (!c.source.read(frame)) break;
    }
    std::fflush(csv);
    return 1;
}

int usage() {
    std::fprintf(stderr,
                 "usage: tabrelo-vision [--debug N] [--frames N] [--save FOLDER] [--teach] "
                 "SOURCE...\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    // The camera side prints its messages on standard output; the CSV keeps
    // that for itself and the messages go to standard error.
    FILE* csv = fdopen(dup(1), "w");
    if (!csv || dup2(2, 1) < 0) return 2;
    int debugLevel = 0;
    long maxFrames = 1L << 40;
    std::vector<std::string> sources;
    std::string saveFolder;
    int teach = 0;
    for (int i = 1; i < argc; i++) {
        if (!std::strcmp(argv[i], "--teach")) {
            teach = 1;
            continue;
        }
        if (!std::strcmp(argv[i], "--save")) {
            if (i + 1 >= argc) return usage();
            saveFolder = argv[++i];
            continue;
        }
        const bool valued = !std::strcmp(argv[i], "--debug") || !std::strcmp(argv[i], "--frames");
        if (valued) {
            char* end = nullptr;
            const long value = i + 1 < argc ? std::strtol(argv[i + 1], &end, 10) : -1;
            if (!end || *end || value < 0) return usage();
            if (argv[i][2] == 'd')
                debugLevel = (int)std::min(value, 5L);
            else
                maxFrames = value;
            i++;
        } else {
            sources.push_back(argv[i]);
        }
    }
    if (sources.empty()) return usage();
    // Scenes bring ground truth; other sources leave its columns empty.
    int withTruth = 0;
    for (const std::string& s : sources)
        if (s.size() > 6 && s.compare(s.size() - 6, 6, ".scene") == 0) withTruth = 1;
    std::fprintf(csv, "source,frame,state,lines_h,lines_v,c0x,c0y,c1x,c1y,c2x,c2y,c3x,c3y,ms,digits,"
                      "tiles");
    if (withTruth)
        std::fprintf(csv, ",true_c0x,true_c0y,true_c1x,true_c1y,true_c2x,true_c2y,true_c3x,"
                          "true_c3y,err_px,true_digits,true_tiles");
    std::fprintf(csv, "\n");
    int status = 0;
    for (const std::string& source : sources)
        if (!runSource(source, debugLevel, maxFrames, withTruth, saveFolder, teach, csv)) status = 2;
    std::fclose(csv);
    return status;
}
