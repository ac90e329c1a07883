// Camera calibration files: 9 numbers of the intrinsic matrix (row by row),
// the 4 distortion coefficients k1 k2 p1 p2 and one word naming the camera.
#pragma once

struct CameraCalibration {
    float intrinsic[9] = {};
    float distortion[4] = {};
    char name[80] = {};
};

// 1 when the file could be opened. Values are read in file order; where the
// file ends early or holds something that is not a finite number, the remaining
// fields keep their previous contents. Names are cut to 79 characters.
int readCalibration(const char* path, CameraCalibration& calibration);
