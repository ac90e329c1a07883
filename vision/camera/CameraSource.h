// Where the frames come from: the first camera, or what the environment
// variable TABRELO_CAMERA names: a camera index, a video file, an image
// sequence pattern such as "shots/frame%03d.png", a synthetic scene file
// ("*.scene") or one image file. Every source delivers 8-bit colour frames with a
// top-left origin.
#pragma once

#include "SyntheticCamera.h"

#include <opencv2/videoio.hpp>

#include <memory>
#include <string>

class CameraSource {
public:
    // TABRELO_CAMERA when set, else the first available camera; 1 when opened.
    int open();
    int open(const std::string& source);
    int isOpened() const { return scene || !still.empty() || capture.isOpened(); }
    // 1 with a new frame, 0 when none could be taken (the frame is then left
    // as it was). With `loop` set, files and scenes start again after their
    // last frame; without it they end there.
    int read(cv::Mat& frame);
    int loop = 1;
    // Frame size properties as cv::VideoCapture names them; a scene keeps its size.
    double get(int property) const;
    int set(int property, double value);
    int origin() const { return 0; }
    // Ground truth of the last synthetic frame; nullptr for other sources.
    const FrameTruth* truth() const { return scene ? &lastTruth : nullptr; }
    const SyntheticCamera* synthetic() const { return scene.get(); }

private:
    std::string name;
    int api = cv::CAP_ANY;
    cv::VideoCapture capture;
    std::unique_ptr<SyntheticCamera> scene;
    int frameIndex = 0;
    FrameTruth lastTruth;
    cv::Mat still;        // the picture of a one-image source
    int stillShown = 0;
    int readFile(cv::Mat& frame);
};
