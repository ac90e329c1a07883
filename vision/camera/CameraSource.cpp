#include "CameraSource.h"

#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include <cstdio>
#include <cstdlib>

namespace {

bool isIndex(const std::string& text) {
    if (text.empty() || text.size() > 3) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    return true;
}

bool endsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

int CameraSource::open() {
    const char* chosen = std::getenv("TABRELO_CAMERA");
    if (chosen && *chosen) return open(chosen);
    name.clear();
    scene.reset();
    still.release();
    return capture.open(0) ? 1 : 0;
}

int CameraSource::open(const std::string& source) {
    name = source;
    scene.reset();
    capture.release();
    frameIndex = 0;
    still.release();
    stillShown = 0;
    if (isIndex(source)) {
        if (capture.open(std::atoi(source.c_str()))) return 1;
    } else if (endsWith(source, ".scene")) {
        SceneDescription description;
        if (readSceneFile(source.c_str(), description)) {
            scene.reset(new SyntheticCamera);
            if (scene->open(description)) return 1;
            scene.reset();
        }
    } else if (source.find('%') == std::string::npos && cv::haveImageReader(source)) {
        try {
            still = cv::imread(source, cv::IMREAD_COLOR);
        } catch (const cv::Exception&) {
            still.release();
        }
        if (!still.empty()) return 1;
    } else {
        api = source.find('%') != std::string::npos ? cv::CAP_IMAGES : cv::CAP_ANY;
        if (capture.open(source, api)) return 1;
    }
    std::printf("camera source %s cannot be opened\n", source.c_str());
    return 0;
}

// Image sequences deliver images as stored: grey, with alpha or 16 bits deep
// are turned into 8-bit colour; any other kind counts as unreadable.
static bool toColour(cv::Mat& frame) {
    if (frame.depth() == CV_16U) frame.convertTo(frame, CV_8U, 1 / 256.0);
    if (frame.depth() != CV_8U) return false;
    if (frame.channels() == 1) cv::cvtColor(frame, frame, cv::COLOR_GRAY2BGR);
    if (frame.channels() == 4) cv::cvtColor(frame, frame, cv::COLOR_BGRA2BGR);
    return frame.channels() == 3;
}

// OpenCV throws instead of failing for some broken image files (a header
// claiming a huge size); such a frame ends the file like its last one.
static bool readFrame(cv::VideoCapture& capture, cv::Mat& frame) {
    try {
        return capture.read(frame) && !frame.empty() && toColour(frame);
    } catch (const cv::Exception&) {
        return false;
    }
}

int CameraSource::readFile(cv::Mat& frame) {
    if (readFrame(capture, frame)) return 1;
    // At the end of a file or sequence start it again.
    if (!loop || name.empty() || isIndex(name) || !capture.open(name, api)) return 0;
    return readFrame(capture, frame);
}

int CameraSource::read(cv::Mat& frame) {
    if (scene) {
        if (frameIndex >= scene->description().frames) {
            if (!loop) return 0;
            frameIndex = 0;
        }
        scene->render(frameIndex++, frame, &lastTruth);
        return 1;
    }
    if (!still.empty()) {
        if (stillShown && !loop) return 0;
        stillShown = 1;
        frame = still.clone();
        return 1;
    }
    // A frame that cannot be taken leaves the caller's picture as it was.
    cv::Mat taken;
    if (!capture.isOpened() || !readFile(taken)) return 0;
    frame = taken;
    return 1;
}

double CameraSource::get(int property) const {
    if (!still.empty()) {
        if (property == cv::CAP_PROP_FRAME_WIDTH) return still.cols;
        if (property == cv::CAP_PROP_FRAME_HEIGHT) return still.rows;
        return 0;
    }
    if (!scene) return capture.get(property);
    if (property == cv::CAP_PROP_FRAME_WIDTH) return scene->description().width;
    if (property == cv::CAP_PROP_FRAME_HEIGHT) return scene->description().height;
    return 0;
}

int CameraSource::set(int property, double value) {
    if (scene) return 0;
    return capture.set(property, value) ? 1 : 0;
}
