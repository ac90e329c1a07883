// The OpenCV windows of the camera step: the operator console with its
// trackbars, the debug windows by debug level, and the key polling.
#pragma once

#include "CameraStep.h"

struct VisionConsole {
    int histoWindow = 0, liveWindow = 0, dumpWindows = 0, gradientWindow = 0, chistoWindows = 0;
    cv::Mat parameterStrip;  // frame width x 1, carries the search's trackbars

    // The strip, and at debug level 2 or more the windows "DUMP", "DUMP1", "DUMP2".
    void setUp(const CameraState& c);
    void show(CameraState& c, GridVision& vision);
    // A 1 ms poll into visionKey, until escape has been read once.
    void poll(CameraState& c);
    // Polls until p or escape; nothing else runs meanwhile.
    void pause(CameraState& c);
};

// One whole camera step; returns the CameraKeyEffect flags for the shell.
int cameraStep(CameraState& c, GridVision& vision, VisionConsole& console, FILE* in, FILE* out);
