#include "TextureImage.h"

#include <opencv2/imgproc.hpp>

cv::Mat textureImage(const cv::Mat& image, float intensity) {
    if (image.empty()) return cv::Mat();
    cv::Mat flipped, scaled, rgb;
    cv::flip(image, flipped, 0);
    flipped.convertTo(scaled, CV_8U, intensity);
    if (scaled.channels() == 3) return scaled;
    if (scaled.channels() == 1) cv::cvtColor(scaled, rgb, cv::COLOR_GRAY2RGB);
    if (scaled.channels() == 4) cv::cvtColor(scaled, rgb, cv::COLOR_RGBA2RGB);
    return rgb;
}
