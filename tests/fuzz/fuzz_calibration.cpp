// libFuzzer target: any bytes as a calibration file ("camcalib.txt") are read
// without crash or overrun, give finite numbers and a terminated name, and
// the camera stand-in can undistort pixels with whatever was read.
#include "Calibration.h"

#include "FuzzInput.h"

#include <opencv2/calib3d.hpp>

#include <cmath>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CameraCalibration calibration;
    check(readCalibration(inputFile(data, size), calibration) == 1, "a file that opens is read");
    check(std::memchr(calibration.name, '\0', sizeof calibration.name) != nullptr,
          "the name is terminated");
    for (float v : calibration.intrinsic) check(std::isfinite(v), "intrinsics are finite");
    for (float v : calibration.distortion) check(std::isfinite(v), "distortion is finite");

    const std::vector<cv::Point2f> pixels{{0, 0}, {319.5f, 239.5f}, {639, 479}};
    std::vector<cv::Point2f> rays;
    cv::undistortPoints(pixels, rays, cv::Matx33f(calibration.intrinsic),
                        cv::Vec4f(calibration.distortion));
    return 0;
}
