#include "VisionConsole.h"

#include <opencv2/highgui.hpp>

// A trackbar that stores its position in `value`, starting from it.
static void addTrackbar(const char* name, const char* window, int* value, int maximum) {
    const int start = *value;
    cv::createTrackbar(
        name, window, nullptr, maximum, [](int position, void* v) { *(int*)v = position; }, value);
    cv::setTrackbarPos(name, window, start);
}

// Esc in an OpenCV window or "DUMP" closed ends a wait.
static int dialogueEnded(int key) {
    return (key & 0xff) == 27 || cv::getWindowProperty("DUMP", cv::WND_PROP_AUTOSIZE) < 0;
}

void DumpWindow::show(const cv::Mat& display) {
    cv::namedWindow("DUMP", cv::WINDOW_AUTOSIZE);
    if (!display.empty()) cv::imshow("DUMP", display);
    cv::waitKey(1);
}

void DumpWindow::onMouse(int event, int x, int y, int, void* self) {
    if (event != cv::EVENT_LBUTTONDOWN) return;
    DumpWindow& w = *(DumpWindow*)self;
    w.clicked = 1;
    w.clickX = x;
    w.clickY = y;
}

int DumpWindow::waitClick(int* x, int* y) {
    cv::setMouseCallback("DUMP", onMouse, this);
    clicked = 0;
    while (!clicked)
        if (dialogueEnded(cv::waitKey(1))) return 0;
    *x = clickX;
    *y = clickY;
    return 1;
}

int DumpWindow::waitDigitKey() {
    for (;;) {
        const int key = cv::waitKey(1);
        if (key >= '0' && key <= '9') return key;
        if (dialogueEnded(key)) return -1;
    }
}

void VisionConsole::serveDigitRequests(CameraState& c, GridVision& vision) {
    if (c.teachRequest) teachDigits(vision, c.grey, dump);
    c.teachRequest = 0;
    if (c.correctionRequest) correctDigits(vision, c.grey, dump);
    c.correctionRequest = 0;
}

void VisionConsole::setUp(const CameraState& c) {
    parameterStrip.create(1, c.width, CV_8UC1);
    parameterStrip.setTo(0);
    if (c.debugLevel >= 2)
        for (const char* name : {"DUMP", "DUMP1", "DUMP2"}) cv::namedWindow(name, cv::WINDOW_AUTOSIZE);
}

void VisionConsole::show(CameraState& c, GridVision& vision) {
    GridTunables& t = vision.tunables;
    GridSearch& s = vision.search;
    if (c.debugLevel >= 3) {
        if (!histoWindow) {
            cv::namedWindow("Histo Parameters ", cv::WINDOW_AUTOSIZE);
            addTrackbar("thresh", "Histo Parameters ", &t.thresh, 255);
            addTrackbar("blur2d", "Histo Parameters ", &t.blur2d, 20);
            addTrackbar("maxlines", "Histo Parameters ", &t.maxLines, 50);
            addTrackbar("linewidth", "Histo Parameters ", &t.lineWidth, 20);
            addTrackbar("refit line", "Histo Parameters ", &t.refitLine, 2);
            histoWindow = 1;
        }
        cv::imshow("Histo Parameters ", parameterStrip);
    }
    if (!liveWindow) {
        cv::namedWindow("Live Image ", cv::WINDOW_AUTOSIZE);
        addTrackbar("flip image", "Live Image ", &c.flipMode, 2);
        addTrackbar("debug level", "Live Image ", &c.debugLevel, 5);
        addTrackbar("view angle y", "Live Image ", &c.viewAngleY, 18);
        liveWindow = 1;
    }
    // Keys change the flip too.
    cv::setTrackbarPos("flip image", "Live Image ", c.flipMode);
    cv::imshow("Live Image ", c.live);
    if (!dumpWindows) {
        cv::namedWindow("DUMP", cv::WINDOW_AUTOSIZE);
        cv::namedWindow("DUMP8", cv::WINDOW_AUTOSIZE);
        dumpWindows = 1;
    }
    const DigitTables& digits = vision.digits;
    if (!digits.display.empty()) cv::imshow("DUMP", digits.display);
    if (!digits.rectified.empty()) {
        cv::Mat upright;
        cv::flip(digits.rectified, upright, 0);
        cv::imshow("DUMP9", upright);
    }
    // The board difference, and at debug level 2 the strips searched for tiles.
    const CameraTiles& tiles = vision.tiles;
    if (!tiles.differenceMask.empty()) cv::imshow("DUMP8", tiles.differenceMask);
    if (c.debugLevel >= 2) {
        const std::pair<const char*, const cv::Mat*> tileWindows[] = {
            {"DUMP7", &tiles.boardThresholded}, {"DUMP8", &tiles.rightStrip},
            {"DUMP9", &tiles.belowStrip}};
        for (const auto& w : tileWindows)
            if (!w.second->empty()) cv::imshow(w.first, *w.second);
    }
    if (c.debugLevel >= 3) {
        cv::imshow("Sobel Image (hor dx) ", s.dxDisplay);
        cv::imshow("Sobel Image (ver dy) ", s.dyDisplay);
        cv::imshow("Gradient Magnitude", s.magnitude);
        if (!gradientWindow) {
            addTrackbar("grad-min", "Gradient Magnitude", &t.gradMin, 255);
            addTrackbar("ang-var", "Gradient Magnitude", &t.angleVariance, 180);
            addTrackbar("dis-var", "Gradient Magnitude", &t.distanceVariance, 400);
            addTrackbar("reverse neg angles", "Gradient Magnitude", &t.reverseNegativeAngles, 1);
            gradientWindow = 1;
        }
        cv::imshow("Line Distance Image", s.distanceDisplay);
        cv::imshow("Gradient Angle (Rainbow)", s.angleDisplay);
        cv::imshow("Mask Image", s.mask);
    }
    if (c.debugLevel >= 2) {
        if (!s.hough.displayImage().empty()) cv::imshow("CHISTO2", s.hough.displayImage());
        if (!chistoWindows) {
            cv::namedWindow("CHISTO1", cv::WINDOW_AUTOSIZE);
            chistoWindows = 1;
        }
        // The last strip that tracking measured.
        const TrackImages& strip = vision.trackImages;
        const std::pair<const char*, const cv::Mat*> stripWindows[] = {
            {"CHISTO1", &strip.accumulator}, {"DUMP5", &strip.strip}, {"DUMP6", &strip.dx},
            {"DUMP7", &strip.dy}};
        for (const auto& w : stripWindows)
            if (!w.second->empty()) cv::imshow(w.first, *w.second);
    }
}

void VisionConsole::poll(CameraState& c) {
    if (c.visionKey != 27) c.visionKey = cv::waitKey(1);
}

void VisionConsole::pause(CameraState& c) {
    while (c.visionKey != 'p' && c.visionKey != 27) c.visionKey = cv::waitKey(1);
}

int cameraStep(CameraState& c, GridVision& vision, VisionConsole& console, FILE* in, FILE* out) {
    if (c.debugLevel >= 2)
        std::fprintf(out, "\n*********************************************************\n\n");
    const int effects = serveVisionKey(c, vision, c.visionKey, in, out);
    std::fflush(out);
    if (effects & kPause) console.pause(c);
    processFrame(c, vision, out);
    console.serveDigitRequests(c, vision);
    console.show(c, vision);
    console.poll(c);
    return effects;
}
