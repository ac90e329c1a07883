// The paper digit tiles around and on the grid: new objects on the board
// found by comparing it with the picture kept at acceptance, new tiles found
// in the strips of table beside the grid, each read for its digit and turn,
// and known tiles followed from frame to frame.
//
// Region images are warped from the bottom-up grey frame at 40 pixels a
// cell, so their rows run up the grid model's Y like the board image's.
#pragma once

#include "Hough.h"
#include "Sudoku.h"

#include <opencv2/core.hpp>

#include <cstdio>
#include <vector>

class GridVision;

// A rectangle of the grid plane, corners (x0, y0) and (x1, y1) in cell units.
struct ModelRegion {
    float x0, y0, x1, y1;
};

// What the check of one white component read.
struct TileReading {
    float x = 0, y = 0;  // model position of the component's centre
    int phi = 0;         // its edges' direction, 0..90 degrees
    int digit = 0;
    float score = 0;
    int angle = 0;       // the winning candidate, phi or phi + 90
};

// Camera tiles and the pictures of the debug windows.
struct CameraTiles {
    std::vector<Tile> list;  // in the order found; the last one is the current one
    int handOverPending = 0;  // the board takes the list after the camera step
    HoughSpace outline;       // the components' edge directions
    cv::Mat boardThresholded, differenceMask, rightStrip, belowStrip;
};

// A region warped at 40 pixels a cell (margin in pixels on every side) and
// its adaptive threshold.
void warpRegion(const GridVision& vision, const cv::Mat& grey, const ModelRegion& region,
                int margin, cv::Mat& warped, cv::Mat& thresholded);

// The threshold between the difference peak and the valley after it, from
// the histogram smoothed over five bins.
int histogramValley(const cv::Mat& difference);
// Erode once, dilate twice, erode twice, dilate once (3 x 3 square).
void cleanDifferenceMask(cv::Mat& mask);

// A 28 x 28 patch of the thresholded region centred on `centre`, turned by
// `degrees`, ink 0 on 255.
cv::Mat turnedPatch(const cv::Mat& thresholded, cv::Point2f centre, double degrees);
// The edge direction and the digit and turn of component `number` of
// `labels` with bounding box `box`; the digit from `patterns` as the
// printed digits are read.
TileReading readComponent(const cv::Mat& labels, const cv::Mat& thresholded, int number,
                          cv::Rect box, const ModelRegion& region, int margin,
                          const cv::Mat patterns[10], HoughSpace& outline);

// Degrees into 0..359.
int wholeTurn(int degrees);

// Compares the board with the picture kept when the grid was accepted and
// looks for tiles in what changed; does nothing more before that picture.
void boardDifference(GridVision& vision, const cv::Mat& grey, int flipMode, const Sudoku* board);
// Follows the known tiles, looks for new ones beside the grid (left and above
// it too without the overview panes) and marks the list for the board.
void tilesAroundGrid(GridVision& vision, const cv::Mat& grey, int showOverviews,
                     const Sudoku* board);
// The list as the console prints it: the count, then each digit and place.
void printTileList(const std::vector<Tile>& list, FILE* out);
