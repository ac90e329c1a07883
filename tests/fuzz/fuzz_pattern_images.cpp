// libFuzzer target: any bytes as an image the camera side loads. They come in
// as the second frame of an image sequence ("shots/frame%03d.png" through
// TABRELO_CAMERA) after a good first one, and as a pattern or digit image
// ("imgs/digit/<d>.bmp", "imgs/11x11/*.bmp") read with cv::imread, and as a
// digit pattern through the loader that reading digits uses, then matched
// against a patch. Every frame that comes out is
// turned grey, as the vision side works on grey images, and every image into
// the pixels of a digit texture. This covers OpenCV's readers as the program
// calls them and our conversions.
#include "CameraSource.h"
#include "DigitReader.h"
#include "TextureImage.h"

#include "FuzzInput.h"

#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include <sys/stat.h>

#include <cerrno>

static void checkTexture(const cv::Mat& image) {
    const cv::Mat rgb = textureImage(image, 0.8f);
    if (image.channels() == 1 || image.channels() == 3 || image.channels() == 4)
        check(rgb.type() == CV_8UC3 && rgb.size() == image.size(), "texture is 8-bit RGB");
    else
        check(rgb.empty(), "other images give no texture");
}

static void checkFrame(const cv::Mat& frame) {
    check(frame.type() == CV_8UC3 && !frame.empty(), "frames are colour images");
    cv::Mat grey;
    cv::cvtColor(frame, grey, cv::COLOR_BGR2GRAY);
    checkTexture(grey);
    checkTexture(frame);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string folder = scratchPath() + "-sequence/";
    static const bool ready = (mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST) &&
                              cv::imwrite(folder + "000.bmp", cv::Mat(12, 16, CV_8UC3, 200));
    check(ready, "first frame written");
    const std::string second = folder + "001.bmp";
    FILE* f = std::fopen(second.c_str(), "wb");
    check(f && std::fwrite(data, 1, size, f) == size && std::fclose(f) == 0, "frame written");

    CameraSource camera;
    check(camera.open(folder + "%03d.bmp") == 1, "a sequence with a good first frame opens");
    cv::Mat frame;
    for (int i = 0; i < 3; i++) {
        check(camera.read(frame) == 1, "a sequence keeps delivering");
        checkFrame(frame);
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
        return 0;  // OpenCV refuses some headers by throwing; a loader must catch it
    }
    if (!image.empty()) checkTexture(image);
    return 0;
}
