// The small drawing helpers every part of the picture uses: flat and
// textured quads, digit textures, stroke text and circles.
#pragma once

#include <opencv2/core.hpp>

// Loads the texture of the next textured quad: the image (flipped, scaled by
// intensity; grey or four-channel ones as RGB, others count as none) or,
// without one, the built-in bitmap. 0 for no image and a digit outside 0..9.
int makeDigitTexture(int digit, const cv::Mat& image, float intensity, int colored);
void texturedQuad(float x0, float x1, float y0, float y1, float zRight, float zLeft);
// One polygon from (x0, y0) to (x1, y1) in the plane z.
void flatRectangle(float x0, float y0, float x1, float y1, float z);
// Text in the Roman stroke font; characters stop before max width. Returns the width.
int strokeText(float x, float y, const char* text, float height, float maxWidth, float r,
               float g, float b);
int strokeText3D(float x, float y, float z, const char* text, float height, float maxWidth,
                 float r, float g, float b);
// A filled circle about the origin in the plane z = 0, one vertex per step.
void circlePolygon(double radius, double step);
