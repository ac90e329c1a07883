// libFuzzer target: any bytes as an image the camera side loads. They come in
// as the second frame of an image sequence ("shots/frame%03d.png" through
// TABRELO_CAMERA) after a good first one, and as a pattern or digit image
// ("imgs/digit/<d>.bmp", "imgs/11x11/*.bmp") read with cv::imread, for which
// the camera game has no loader of its own yet. Every frame that comes out is
// turned grey, as the vision side works on grey images, and every image into
// the pixels of a digit texture. This covers OpenCV's readers as the program
// calls them and our conversions.
#include "CameraSource.h"
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

    cv::Mat image;
    try {
        image = cv::imread(second, cv::IMREAD_UNCHANGED);
    } catch (const cv::Exception&) {
        return 0;  // OpenCV refuses some headers by throwing; a loader must catch it
    }
    if (!image.empty()) checkTexture(image);
    return 0;
}
