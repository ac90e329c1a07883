// The search for the printed grid in a grey frame that nothing is tracked in
// yet: straight edges from the gradient accumulator, tied to corner features,
// split into horizontal and vertical lines and completed to the ten lines of
// each direction, numbered 0..9.
#pragma once

#include "Geometry.h"
#include "Hough.h"

#include <opencv2/core.hpp>

#include <cstdio>
#include <memory>

// The trackbar variables the search reads; the trackbars point at these ints.
struct GridTunables {
    int gradMin = 20, angleVariance = 60, distanceVariance = 400, reverseNegativeAngles = 1;
    int thresh = 0, blur2d = 0, maxLines = 25, lineWidth = 5, refitLine = 0;
};

// The search's part of the camera-side object, with the frame's working images.
struct GridSearch {
    LineSet horizontal, vertical, all{1};
    PointList corners{1};
    float horizontalSpacing = -1, verticalSpacing = -1;
    cv::Mat dx, dy, dxDisplay, dyDisplay, magnitude, angle, distance, distanceDisplay,
        angleDisplay, mask, cornerWork1, cornerWork2;
    HoughSpace hough;
    HoughSpace completion;  // every vote of the frame, unmasked: where completion predicts
    VoteList votes;  // the frame's votes, gathered once for every vote of the search
    int width = 0, height = 0, origin = 0, diagonal = 0;

    // Creates the working images and the frame-wide accumulator once.
    void init(int width, int height, int origin);
};

// Steps of the search up to numbered lines: 1 when both directions have lines
// and were completed, 0 when a direction has none.
int FindGrid(GridSearch& s, const cv::Mat& grey, const GridTunables& t, int debugLevel,
             FILE* out);
// The diagnostic listing of the line sets.
void printGridLines(const GridSearch& s, int debugLevel, FILE* out);
// Corners, lines, points and crossings drawn into `image`; flipY = 1 draws
// grey-frame point (x, y) at (x, H - 1 - y).
void drawGridDebug(const GridSearch& s, cv::Mat& image, int flipY);

// What the completion steps share: the search, its grey frame, the
// accumulator the predictions look in, and where to report.
struct Completion {
    GridSearch& search;
    const cv::Mat& grey;
    const HoughSpace& hough;
    int debugLevel;
    FILE* out;
};

// Completes both line sets; 0 when either is empty.
int FindGridLines(GridSearch& s, const cv::Mat& grey, int debugLevel, FILE* out);
// Predicts and adds the lines missing between neighbours; the last index.
int FillGaps(const Completion& c, LineSet& set, const ImageLine& crossing, float spacing);
// A line predicted beside `neighbour` (before the set's first line when none),
// fitted to the corners near it.
std::unique_ptr<ImageLine> hypothesizeLine(const Completion& c, const LineSet& set,
                                           LineNode* neighbour, float angleStep, float spacing,
                                           const char* label);
// The next line after `node` (before the set's first line when none) from the
// steps of its neighbours, moved to the accumulator's maximum nearby; none
// when the neighbours share an index.
std::unique_ptr<ImageLine> PredictLine(const LineSet& set, LineNode* node, float angleStep,
                                       float distanceStep, const HoughSpace& hough);
// The node before the first gap in the indices from `start` on; none without a gap.
LineNode* findGap(const LineSet& set, LineNode* start, int debugLevel, FILE* out);
// Numbers the lines by their spacing along `crossing`; drops lines closer
// than half a step. The last index.
int AssignGridIndices(LineSet& set, float spacing, const ImageLine& crossing, int debugLevel,
                      FILE* out);
// Ties every corner within 3 pixels of a line to it; a line with fewer than
// four corners becomes invalid.
void associateCorners(LineSet& lines, PointList& corners);
// At each corner on two or more lines, clearly different valid lines record
// it as a crossing; of two near-parallel ones the one listed first is dropped.
void recordCrossings(PointList& corners);
// The median point spacing of each direction.
void gridSpacingMedians(GridSearch& s);
// Mean absolute cross-derivative along the line's part inside the image
// (or between `ends`); 0 when it is not visible or shorter than 2 pixels.
float EdgeStrength(const ImageLine& line, const cv::Mat& grey, const cv::Point2f* ends = nullptr);
