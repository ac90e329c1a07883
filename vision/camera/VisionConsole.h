// The OpenCV windows of the camera step: the operator console with its
// trackbars, the debug windows by debug level, and the key polling.
#pragma once

#include "CameraStep.h"

// "DUMP" as the operator's side of teaching and correcting: the window is
// polled every millisecond until the click or digit key comes, Esc is
// pressed or the window is closed.
class DumpWindow : public OperatorInput {
public:
    void show(const cv::Mat& display) override;
    int waitClick(int* x, int* y) override;
    int waitDigitKey() override;

private:
    int clicked = 0, clickX = 0, clickY = 0;
    static void onMouse(int event, int x, int y, int flags, void* self);
};

struct VisionConsole {
    int histoWindow = 0, liveWindow = 0, dumpWindows = 0, gradientWindow = 0, chistoWindows = 0;
    cv::Mat parameterStrip;  // frame width x 1, carries the search's trackbars
    DumpWindow dump;  // lives for the run: its mouse callback points at it

    // The strip, and at debug level 2 or more the windows "DUMP", "DUMP1", "DUMP2".
    void setUp(const CameraState& c);
    void show(CameraState& c, GridVision& vision);
    // A 1 ms poll into visionKey, until escape has been read once.
    void poll(CameraState& c);
    // Polls until p or escape; nothing else runs meanwhile.
    void pause(CameraState& c);
    // Teaching and correction, each once when requested.
    void serveDigitRequests(CameraState& c, GridVision& vision);
};

// One whole camera step; returns the CameraKeyEffect flags for the shell.
int cameraStep(CameraState& c, GridVision& vision, VisionConsole& console, FILE* in, FILE* out);
