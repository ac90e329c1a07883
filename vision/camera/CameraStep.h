// The camera step of every idle turn, without its windows: the console keys,
// the image set-up, and the work on one frame (take it, make the GL-ready
// copy and the grey frame, look for the grid, draw its frame and caption).
// The windows and trackbars are VisionConsole's; the shell hands the GL-ready
// copy and the pose on to the game window.
#pragma once

#include "CameraSource.h"
#include "GridVision.h"
#include "Sudoku.h"

#include <opencv2/core.hpp>

#include <cstdio>

struct CameraState {
    CameraSource source;
    cv::Mat live;     // top-left, annotated in place and shown in "Live Image "
    cv::Mat glReady;  // RGB, bottom row first: the video background's copy
    cv::Mat grey;     // grey of glReady, so bottom-up: what the search works on
    int width = 640, height = 480, origin = 0, diagonal = 0;
    int visionKey = 32;  // last key of the OpenCV windows; 27 ends their polling
    int gridFound = 0;
    int flipMode = 0;    // 0 as taken, 1 mirrored, 2 mirrored and upside down
    int debugLevel = 1;  // 0..5
    int viewAngleY = 6;  // 0..18
    int useMouse = 1;
    int recognitionFrozen = 0;
    int rerectifyRequest = 0;
    int teachRequest = 0;
    int correctionRequest = 0;
    int viewWidth = 640, viewHeight = 480;  // the GL window, which bounds DrawLine3D
    int frameMissing = 0;  // 1 from a frame that could not be taken until the next one
    // Tiles: a new tile must differ from the board's digit where it lies; the
    // overview panes leave no table free left of and above the grid.
    const Sudoku* board = nullptr;
    int showOverviews = 1;
};

// What the shell does after a key, as flags.
enum CameraKeyEffect {
    kToggleAutomaticMarkup = 1,
    kStartClock = 2,        // without resetting the turning statistics
    kPause = 4,             // the console's pause loop follows
    kCalibrationChosen = 8  // hand the new calibration to the game window
};

// The effect of a console key on the camera state (the key read as a signed
// character); the camera choice dialogue reads its answer from `in`.
int serveVisionKey(CameraState& c, GridVision& vision, int key, FILE* in, FILE* out);
// Asks for the camera make and reads its calibration; 1 when it was taken.
int chooseCamera(GridVision& vision, FILE* in, FILE* out);
void printConsoleHelp(FILE* out);

// Opens the source and takes its first frame; at debug level 2 or more it
// prints the frame size before and after asking for 640 x 280. 0 without one.
int openCamera(CameraState& c, FILE* out);
// Frame size, working images, the digit patterns and GridVision's default
// calibration for frames of `size`; 1 when that calibration was taken.
int setUpImages(CameraState& c, GridVision& vision, cv::Size size, FILE* out);

// The frame becomes the live frame, scaled to the set-up size if it differs.
void takeLiveFrame(CameraState& c, const cv::Mat& frame);
// Flip, GL-ready copy, grey frame, grid search or tracking, grid frame,
// board difference, digits, tiles (in tiles mode) and caption; teaching and correction are left to the console.
void workOnFrame(CameraState& c, GridVision& vision, FILE* out);
// Takes a frame from the source and works on it; 0 when none could be taken
// (the last picture stays, one line says so once).
int processFrame(CameraState& c, GridVision& vision, FILE* out);

// RGB and bottom row first, for GL; an empty image gives an empty copy.
void glReadyCopy(const cv::Mat& image, int origin, cv::Mat& copy);
