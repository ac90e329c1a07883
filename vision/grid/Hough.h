// Per-pixel gradient images and the angle-by-distance line accumulator.
// OpenCV images carry no origin flag: where the result depends on it, the
// frame's origin (0 top-left, 1 bottom-left) is passed next to the image.
#pragma once

#include <opencv2/core.hpp>

#include <vector>

// Angle pixel of a pixel without a usable gradient; every consumer skips it.
const short kNoAngle = 181;

// 16-bit Sobel derivative with aperture 3, replicated borders; an odd y
// order of a bottom-left image is negated, as the old cvSobel did.
void sobelDerivative(const cv::Mat& grey, int origin, int xOrder, int yOrder, cv::Mat& out);

// magnitude: 8-bit, the low eight bits of |gx| + |gy| shifted right by two;
// angle: 16-bit whole degrees of the gradient, kNoAngle where the magnitude
// is not above `minimum`. `origin` is that of the y-derivative image.
void computeGradient(const cv::Mat& dx, const cv::Mat& dy, int origin, cv::Mat& magnitude,
                     cv::Mat& angle, int minimum, int reverse);
// Distance of the line through each pixel along its gradient angle; 0 where
// the angle is outside -180..180. Writes every pixel.
void computeDistance(const cv::Mat& angle, cv::Mat& distance);

// cos and sin of whole degrees -180..180, as x·cos θ + y·sin θ is computed everywhere.
double cosDegrees(int theta);
double sinDegrees(int theta);

// The votes of one set of angle, magnitude and distance images, gathered once
// so that repeated (masked) votes and maxima touch voting pixels only.
struct VoteList {
    std::vector<int> cells;       // accumulator cell of each voting pixel, in pixel order
    std::vector<float> weights;   // magnitude / 255
    std::vector<int> pixels;      // pixel index y·width + x, for the mask test
    std::vector<int> touched;     // every cell voted for, ascending
};

struct HoughSpace {
    int rows = 0;            // 2·R distance rows for distances -R..R-1
    int columns = 0;         // angle columns, 360
    int origin = 0;
    int displayStep = 2;
    int angleOffset = 180;   // column = angle + 180
    int distanceOffset = 0;  // row = distance + R
    cv::Mat accumulator;     // 32-bit float, rows x columns; -1 marks a blocked cell
    cv::Mat display;         // 8-bit BGR, every second row
    char name[80] = {};

    void init(int rows, int columns, int origin);

    // One vote of magnitude / 255 per pixel two or more pixels inside the border.
    void vote(const cv::Mat& angle, const cv::Mat& magnitude, const cv::Mat& distance);
    // As vote(), but a cell that any masked pixel votes for ends at -1.
    void maskedVote(const cv::Mat& angle, const cv::Mat& magnitude, const cv::Mat& distance,
                    const cv::Mat& mask);
    // Every non-zero pixel votes for all 360 angles (for small two-valued images).
    void plainVote(const cv::Mat& binary);
    // The largest cell (the first in row order on ties) as angle and distance;
    // -1 with the outputs untouched before init().
    float maximum(int* angle, int* distance) const;
    // Inclusive window; -1 with the outputs untouched when it misses the accumulator.
    float maximumInWindow(int angle0, int angle1, int distance0, int distance1, int* angle,
                          int* distance) const;

    // The same votes and maximum from a gathered list, with exactly the same
    // results; maximum(list) is valid only right after vote(list) or blockMasked(list).
    void collectVotes(const cv::Mat& angle, const cv::Mat& magnitude, const cv::Mat& distance,
                      VoteList& list) const;
    void vote(const VoteList& list);
    // maskedVote() of the list's pixels, valid right after vote(list) or
    // blockMasked(list) with a mask that `mask` covers: the mask only grew,
    // so only the cells of newly masked pixels change (to -1); the others
    // keep the sums they would be counted to again.
    void blockMasked(const VoteList& list, const cv::Mat& mask);
    float maximum(const VoteList& list, int* angle, int* distance) const;

    void renderDisplay(float scaleReference, int threshold);
    void drawDisplayAxes(cv::Scalar color);
    void markDisplay(int angle, int distance, cv::Scalar color);
    const cv::Mat& displayImage() const { return display; }
};

// The maximum that maximumInWindow(0, 179, 1, reach - 1) finds after vote()
// into 2·reach distance rows (the first largest in row order, (0, 1) when
// nothing voted), without the accumulator and the distance image: only the
// voting pixels' distances are computed.
float windowMaximum(const cv::Mat& angle, const cv::Mat& magnitude, int reach, int* bestAngle,
                    int* bestDistance);

// Sets `value` in the mask on the pixels of the line's band whose angle and
// distance lie within the tolerances.
void MarkLineBand(const cv::Mat& angle, const cv::Mat& distance, cv::Mat& mask, int value,
                  int theta, int angleTolerance, int d, int distanceTolerance, int halfWidth);

// Blue-green-red of v over min..max; black outside.
cv::Vec3b colorRamp(float v, float min, float max, float scale, float offset);
void distanceDisplay(const cv::Mat& distance, cv::Mat& out, int offset, int divisor);
void angleDisplay(const cv::Mat& angle, cv::Mat& out);
// White, thickness 1, 8-connected, across the whole image.
void drawImageLine(cv::Mat& image, int theta, int d);
