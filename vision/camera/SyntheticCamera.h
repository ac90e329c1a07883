// A camera stand-in: the printed grid, cut out and lying on a table, filmed by a
// calibrated camera under a chosen pose, with lighting, blur, noise and
// digit tiles, and the ground truth of every frame.
#pragma once

#include "Calibration.h"
#include "Sudoku.h"

#include <opencv2/core.hpp>

#include <string>
#include <vector>

// Where the camera stands: it looks at grid model point (4.5 + shiftX,
// 4.5 + shiftY, 0) from `distance` cells, tilted by `tilt` degrees away from
// straight down (towards the bottom edge of the puzzle), and turned by
// `rotation` degrees about the sheet's normal.
struct CameraPose {
    double rotation = 0, tilt = 0, distance = 14, shiftX = 0, shiftY = 0;
};

// A digit tile in the grid plane (cell units, like the board's tiles),
// turned counterclockwise by `angle` degrees; it moves in a straight line
// from the first to the last frame.
struct SceneTile {
    int digit = 0;
    double x = 0, y = 0, angle = 0;
    double endX = 0, endY = 0, endAngle = 0;
};

struct SceneDescription {
    int width = 640, height = 480;  // at most 1920 x 1440
    std::string calibration = "camcalib.txt";
    int gridNumber = 0, permutation = 0;
    int frames = 1;
    CameraPose start, end;  // `end` equals `start` unless the scene moves
    double light = 0;       // brightness lost from the top-left to the bottom-right corner, 0..1
    double blur = 0;        // Gaussian sigma in pixels
    double noise = 0;       // Gaussian sigma in grey levels
    int seed = 1;
    int table = 110;        // grey level of the table around the sheet
    std::vector<SceneTile> tiles;
};

// Reads a scene file: one setting per line, "#" starts a comment. 1 on
// success; 0 with a message naming the line otherwise.
int readSceneFile(const char* path, SceneDescription& scene);

struct TileTruth {
    int digit;
    double x, y, angle;    // grid model units and degrees
    cv::Point2f image;     // where its centre appears in the frame
};

struct FrameTruth {
    cv::Vec3d rotationVector, translation;  // camera from grid model, cell units
    cv::Matx33d intrinsic;
    cv::Vec4d distortion;
    cv::Point2f crossings[100];  // grid crossing (X, Y) at index 10·Y + X
    int digits[81];              // printed digits, row 0 at the top of the puzzle
    std::vector<TileTruth> tiles;
};

class SyntheticCamera {
public:
    // Loads the puzzle ("sudoku-grids/g%d.txt") and the calibration relative
    // to the working folder, scaling the intrinsics of the calibration's
    // 640 x 480 to the scene's size; 0 with a message when either cannot be read.
    int open(const SceneDescription& scene);
    const SceneDescription& description() const { return scene; }
    // Colour frame `frame` (0-based; the last pose holds beyond the end).
    void render(int frame, cv::Mat& image, FrameTruth* truth = nullptr) const;
    // Camera from grid model at a frame.
    void poseAt(int frame, cv::Vec3d* rotationVector, cv::Vec3d* translation) const;
    cv::Point2f project(double x, double y, double z, int frame) const;

private:
    SceneDescription scene;
    Sudoku board;
    CameraCalibration calibration;
    cv::Mat canvas;             // sheet on the table, half the sheet's resolution
    std::vector<cv::Point2f> rays;  // undistorted ray of every supersampled pixel
    double fraction(int frame) const;
};
