// libFuzzer target: any bytes as a calibration file ("camcalib.txt") are read
// without crash or overrun, are taken whole with finite numbers, positive
// focal lengths and a terminated name or refused without a change, and the
// camera stand-in can undistort pixels with a calibration taken.
#include "Calibration.h"

#include "FuzzInput.h"

#include <opencv2/calib3d.hpp>

#include <cmath>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CameraCalibration calibration;
    const CameraCalibration before = calibration;
    if (!readCalibration(inputFile(data, size), calibration, nullptr)) {
        check(std::memcmp(&before, &calibration, sizeof before) == 0,
              "a refused file changes nothing");
        return 0;
    }
    check(calibration.intrinsic[0] > 0 && calibration.intrinsic[4] > 0,
          "a calibration taken has positive focal lengths");
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
