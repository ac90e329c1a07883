// Following a found grid from frame to frame: the four thick lines of each
// direction (grid lines 0, 3, 6, 9) are measured again in narrow strips
// around where the pose puts them, and the crossings of the lines that moved
// little are refined for the pose update.
#pragma once

#include "Geometry.h"
#include "GridSearch.h"

#include <opencv2/core.hpp>

#include <cstdio>

const int kTrackedLines[4] = {0, 3, 6, 9};
const int kTrackStripHeight = 25;

// Where the pose puts the tracked lines: vertical line kTrackedLines[k] runs
// from model point (i, 0) to (i, 9), horizontal line i from (0, i) to (9, i).
struct GridPrediction {
    cv::Point2f vertical[4][2], horizontal[4][2];
};

// The refined crossings of the accepted lines, with their model points
// (column, row, 0).
struct GridCrossings {
    int count = 0;
    float image[16][2] = {};
    float model[16][3] = {};
};

// The last measured strip for the debug windows: its accumulator
// ("CHISTO1"), the strip ("DUMP5") and its x and y derivatives ("DUMP6", "DUMP7").
struct TrackImages {
    cv::Mat accumulator, strip, dx, dy;
};

// Where tracking reports: traces by debug level, the feedback drawing into
// the colour frame (flipY = 1 draws grey-frame point (x, y) at (x, H - 1 - y)),
// and the strip images at debug level 2 or more.
struct TrackReport {
    int debugLevel = 1;
    FILE* out = nullptr;
    cv::Mat* colour = nullptr;
    int flipY = 0;
    TrackImages* images = nullptr;
};

// Measures the line again in a strip along it (between the ends, or its
// part inside the frame without them) and moves it onto the edge found
// there. The score is the share of strip columns whose edge lies on the
// strip's line; 0 when the line is not visible or its segment is shorter
// than 2 pixels or longer than the frame diagonal.
float TrackLine(ImageLine& line, const cv::Mat& grey, const cv::Point2f* end1,
                const cv::Point2f* end2, const GridTunables& t, const TrackReport& report);

// The share of columns of a strip along the segment whose strongest y
// derivative is a clear edge near the segment: near 1 along a printed line,
// near 0 where none runs or where it runs a few pixels away.
float printedLineShare(const cv::Mat& grey, cv::Point2f end1, cv::Point2f end2);

// Whether a tracked line may take part in the crossings.
int isTrackedLineAccepted(float predictedAngle, float newAngle, float score);

// Tracks the eight lines, intersects the accepted ones and refines the
// crossings inside the frame; 1 when there are at least three.
int TrackGrid(const cv::Mat& grey, const GridPrediction& prediction, const GridTunables& t,
              GridCrossings& crossings, const TrackReport& report);

// Crossings of accepted horizontal and vertical lines (indexed by grid line)
// that lie inside a width x height frame, unrefined.
void collectCrossings(const ImageLine* horizontal, const int* horizontalAccepted,
                      const ImageLine* vertical, const int* verticalAccepted, int width,
                      int height, GridCrossings& crossings);
