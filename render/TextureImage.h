// The pixels a digit texture is loaded from, apart from GL so that images
// from files can be checked without a window.
#pragma once

#include <opencv2/core.hpp>

// The image upside down and scaled by intensity as 8-bit R, G, B, which is
// what the texture reads; grey and four-channel images are turned into it,
// other images give none.
cv::Mat textureImage(const cv::Mat& image, float intensity);
