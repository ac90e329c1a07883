// The camera-side object: the grid search's state, the calibration, the
// correspondences between image and grid model, and the grid's pose.
#pragma once

#include "Calibration.h"
#include "DigitReader.h"
#include "GridSearch.h"
#include "GridTracking.h"
#include "TileReader.h"

#include <opencv2/core.hpp>

#include <cstdio>

// What the GL window receives after every computed pose.
struct PoseHandOver {
    float intrinsic[9], distortion[4], translation[3], rotationVector[3], rotationMatrix[9];
};

const int kMaxGridPoints = 250;

class GridVision {
public:
    GridSearch search;
    GridTunables tunables;
    CameraCalibration calibration;
    float translation[3] = {}, rotationVector[3] = {}, rotationMatrix[9] = {};
    float imagePoints[kMaxGridPoints][2] = {};
    float modelPoints[kMaxGridPoints][3] = {};
    int pointCount = 0;
    int poseCount = 0;  // bumped by every computed pose
    int debugLevel = 1;
    FILE* out = stdout;
    TrackImages trackImages;  // the last tracked strip, for the debug windows

    // Printed digits (DigitReader.h): patterns, per-cell tables, board images.
    DigitTables digits;

    // Paper tiles (TileReader.h): the camera tile list and the debug pictures.
    CameraTiles tiles;

    // The grid plane between model corners (X0, Y0) and (X1, Y1), upright,
    // sx pixels a unit and sy / 2 of margin, through the pose and the lens's
    // distortion; black where the frame has no pixels or while there is no pose.
    cv::Mat warpModelRectangle(const cv::Mat& grey, float X0, float Y0, float X1, float Y1,
                               int sx, int sy) const;

    // 1 when the file was taken; 0 when it cannot be opened or its intrinsic
    // matrix cannot serve (then the previous values stay).
    int readCalibration(const char* path);
    void printCalibration() const;
    // The crossings on the valid horizontal lines with both grid indices known.
    void collectCorrespondences();
    // 1 with a new pose; 0 (pose kept) for fewer than 4 or degenerate pairs.
    int Compute3DPose();
    int Compute3DPose(const float (*image)[2], const float (*model)[3], int count);
    cv::Point2f projectPoint(float X, float Y, float Z) const;
    void projectPoints(const float (*model)[3], float (*image)[2], int count) const;
    // First pose from the lines' crossings, then from the refined projected
    // inner crossings.
    int poseFromFoundGrid(const cv::Mat& grey);
    // FindGrid, and the pose when it found lines in both directions.
    int findGrid(const cv::Mat& grey);
    // Tracks the grid from the current pose, drawing the feedback into the
    // live frame; 1 while it holds.
    int trackGrid(const cv::Mat& grey, cv::Mat* live, int flipY);
    // The pose from tracked crossings; a pose that does not reproject them
    // is refused (0) and the previous one stays.
    int poseFromTrackedCrossings(const GridCrossings& crossings);
    // Whether the thin lines 1 and 8 of each direction lie where the pose
    // puts them (lines leaving the frame are passed over); at debug level 2
    // or more a refusal says which line.
    int thinLinesAgree(const cv::Mat& grey) const;
    PoseHandOver handOver() const;
    void DrawLine3D(cv::Mat& live, double X1, double Y1, double Z1, double X2, double Y2,
                    double Z2, int red, int green, int blue, int thickness, int windowWidth,
                    int windowHeight, int flipY) const;
    void drawGridFrame(cv::Mat& live, int windowWidth, int windowHeight, int flipY) const;
};
