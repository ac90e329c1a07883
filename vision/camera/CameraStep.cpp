#include "CameraStep.h"

#include "GridSearch.h"

#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>

void printConsoleHelp(FILE* out) {
    static const char* const kLines[] = {
        "\navailable commands (on OpenCV windows):\n",
        "p      pause\n",
        "c      read intrinsic camera parameters\n",
        "t      teach patterns of digits\n",
        "x      edit pattern classifications\n",
        "o      ok - start playing the game\n",
        "a      accept current grid interpretation\n",
        "r      restart basic search for grid\n",
        "f      flip image\n",
        "m      toggle between using the mouse and using tiles\n",
        "\n",
    };
    for (const char* line : kLines) std::fputs(line, out);
}

int chooseCamera(GridVision& vision, FILE* in, FILE* out) {
    std::fprintf(out, "which camera are you using? (tcm, logitech)\n");
    std::fflush(out);
    // The end of the input answers like anything but a Logitech: TCM.
    char word[80] = "";
    if (std::fscanf(in, "%79s", word) != 1) word[0] = '\0';
    const char* file;
    if (word[0] == 'l' || word[0] == 'L') {
        std::fprintf(out, "Logitech camera: calibration data in file camcalib-logitech.txt\n");
        file = "camcalib-logitech.txt";
    } else {
        std::fprintf(out, "TCM camera: calibration data in file camcalib-tcm.txt\n");
        file = "camcalib-tcm.txt";
    }
    if (!vision.readCalibration(file)) {
        std::fprintf(out, "calibration file %s not taken: the previous calibration stays\n", file);
        return 0;
    }
    vision.printCalibration();
    return 1;
}

int serveVisionKey(CameraState& c, GridVision& vision, int key, FILE* in, FILE* out) {
    switch ((signed char)key) {
    case 'a':
        return kToggleAutomaticMarkup;
    case 'c':
        return chooseCamera(vision, in, out) ? kCalibrationChosen : 0;
    case 'f':
        if (c.flipMode != 1) c.flipMode = 2 - c.flipMode;
        c.gridFound = 0;
        return 0;
    case 'h':
        printConsoleHelp(out);
        return 0;
    case 'm':
        c.useMouse = 1 - c.useMouse;
        return 0;
    case 'o':
        c.recognitionFrozen = 1 - c.recognitionFrozen;
        c.rerectifyRequest = 1;
        return kStartClock;
    case 'p':
        std::fprintf(out, "\n...pausing...\n");
        std::fprintf(out, "type p to continue\n");
        c.visionKey = 32;
        return kPause;
    case 'r':
        c.gridFound = 0;
        return 0;
    case 't':
        std::fprintf(out, "teach new sudoku-patterns (digits)\n");
        c.teachRequest = 1;
        return 0;
    case 'x':
        std::fprintf(out, "correct wrongly classified patterns\n");
        c.correctionRequest = 1;
        return 0;
    }
    return 0;
}

static void printFrameSize(const CameraState& c, FILE* out) {
    std::fprintf(out, "frame size of camera: width %6.2f, height %6.2f\n",
                 c.source.get(cv::CAP_PROP_FRAME_WIDTH), c.source.get(cv::CAP_PROP_FRAME_HEIGHT));
}

int openCamera(CameraState& c, FILE* out) {
    if (!c.source.open() || !c.source.read(c.live)) return 0;
    if (c.debugLevel >= 2) {
        printFrameSize(c, out);
        c.source.set(cv::CAP_PROP_FRAME_WIDTH, 640.0);
        c.source.set(cv::CAP_PROP_FRAME_HEIGHT, 280.0);
        c.source.read(c.live);
        printFrameSize(c, out);
    }
    return 1;
}

// The grid-element images must be there; nothing else reads them yet.
static void checkGridElementImages(FILE* out) {
    static const char* const kNames[] = {
        "cross.bmp",      "line_horizontal.bmp", "line_vertical.bmp", "border_top.bmp",
        "border_bottom.bmp", "border_left.bmp",  "border_right.bmp",  "corner_ll.bmp",
        "corner_lr.bmp",  "corner_ul.bmp",       "corner_ur.bmp",
    };
    for (const char* name : kNames) {
        char path[80];
        std::snprintf(path, sizeof path, "%s/%s", "imgs/11x11", name);
        if (cv::imread(path, cv::IMREAD_COLOR).empty())
            std::fprintf(out, "cannot read grid element image %s\n", path);
    }
}

int setUpImages(CameraState& c, GridVision& vision, cv::Size size, FILE* out) {
    c.width = size.width;
    c.height = size.height;
    c.origin = c.source.origin();
    c.diagonal = (int)std::sqrt((double)c.width * c.width + (double)c.height * c.height);
    std::fprintf(out, "Image size: %d x %d = %d pixels\n", c.width, c.height, c.width * c.height);
    std::fprintf(out, c.origin == 1 ? "Image origin in bottom left corner\n"
                                    : "Image origin top left corner\n");
    c.grey.create(c.height, c.width, CV_8UC1);
    vision.search.init(c.width, c.height, c.origin);
    checkGridElementImages(out);
    vision.debugLevel = c.debugLevel;
    vision.out = out;
    loadPatterns(vision.digits.patterns, out);
    if (!vision.readCalibration("camcalib.txt")) return 0;
    if (c.debugLevel >= 2) vision.printCalibration();
    return 1;
}

void glReadyCopy(const cv::Mat& image, int origin, cv::Mat& copy) {
    if (image.empty()) {
        copy.release();
        return;
    }
    if (image.channels() == 3)
        cv::cvtColor(image, copy, cv::COLOR_BGR2RGB);
    else
        copy = image.clone();
    if (origin != 1) cv::flip(copy, copy, 0);
}

static void searchGrid(CameraState& c, GridVision& vision, FILE* out) {
    c.gridFound = vision.findGrid(c.grey);
    if (c.debugLevel >= 2) {
        drawGridDebug(vision.search, c.live, 1);
        HoughSpace& hough = vision.search.hough;
        for (LineNode* n = vision.search.all.first; n && !hough.display.empty(); n = n->next)
            if (n->item->valid)
                hough.markDisplay((int)n->item->angle, (int)n->item->distance,
                                  drawingColor(std::min(n->item->id, 20)));
    }
    const int horizontal = vision.search.horizontal.count;
    const int vertical = vision.search.vertical.count;
    if (horizontal != 10 || vertical != 10) {
        c.gridFound = 0;
        if (c.debugLevel >= 2)
            std::fprintf(out, "\n\n        **** INCORRECT GRID Estimation: %d, %d\n\n", horizontal,
                         vertical);
    }
}

// Digits on a found grid until key o freezes them; key o also confirms
// what was read and shows the board anew. Teaching and correction wait for
// the operator, so the console serves them.
static void readBoardDigits(CameraState& c, GridVision& vision) {
    if (c.gridFound == 1 && !c.recognitionFrozen) readDigits(vision, c.grey);
    if (c.rerectifyRequest) {
        flagReadDigits(vision.digits);
        c.rerectifyRequest = 0;
        rectifyAndShow(vision, c.grey);
    }
}

void takeLiveFrame(CameraState& c, const cv::Mat& frame) {
    // The working images keep the set-up size, whatever the source does later.
    if (frame.cols != c.width || frame.rows != c.height)
        cv::resize(frame, c.live, cv::Size(c.width, c.height), 0, 0, cv::INTER_AREA);
    else
        c.live = frame;
}

int processFrame(CameraState& c, GridVision& vision, FILE* out) {
    cv::Mat frame;
    if (!c.source.read(frame)) {
        if (!c.frameMissing)
            std::fprintf(out, "no new frame from the camera: the last picture stays\n");
        c.frameMissing = 1;
        return 0;
    }
    c.frameMissing = 0;
    takeLiveFrame(c, frame);
    workOnFrame(c, vision, out);
    return 1;
}

void workOnFrame(CameraState& c, GridVision& vision, FILE* out) {
    if (c.flipMode == 1) cv::flip(c.live, c.live, 1);
    if (c.flipMode == 2) cv::flip(c.live, c.live, -1);
    glReadyCopy(c.live, c.origin, c.glReady);
    cv::cvtColor(c.glReady, c.grey, cv::COLOR_RGB2GRAY);

    vision.debugLevel = c.debugLevel;
    vision.out = out;
    if (c.gridFound == 0) {
        // A new search starts the tiles afresh.
        vision.tiles.list.clear();
        searchGrid(c, vision, out);
        if (c.gridFound == 1 && vision.digits.rectified.empty()) rectifyAndShow(vision, c.grey);
    } else {
        c.gridFound = vision.trackGrid(c.grey, &c.live, 1);
        // The picture of the last search: tracking leaves the line sets alone.
        if (c.debugLevel >= 2) drawGridDebug(vision.search, c.live, 1);
    }
    if (c.gridFound == 1) {
        vision.drawGridFrame(c.live, c.viewWidth, c.viewHeight, 1);
        boardDifference(vision, c.grey, c.flipMode, c.board);
    }
    readBoardDigits(c, vision);
    if (c.gridFound == 1 && c.useMouse == 0)
        tilesAroundGrid(vision, c.grey, c.showOverviews, c.board);
    if (c.debugLevel >= 2) printGridLines(vision.search, c.debugLevel, out);
    cv::putText(c.live, "Tabrelo", cv::Point(c.width - 150, c.height - 20),
                cv::FONT_HERSHEY_SIMPLEX | cv::FONT_ITALIC, 0.75, cv::Scalar(0, 0, 255), 2,
                cv::LINE_8);
}
