// Camera calibration files: 9 numbers of the intrinsic matrix (row by row),
// the 4 distortion coefficients k1 k2 p1 p2 and one word naming the camera.
#pragma once

#include <cstdio>

struct CameraCalibration {
    float intrinsic[9] = {};
    float distortion[4] = {};
    char name[80] = {};
};

// 1 when the file was taken. Values are read in file order; where the file
// ends early or holds something that is not a finite number, the remaining fields
// keep their previous contents. Names are cut to 79 characters. 0 with
// nothing changed when the file cannot be opened (silently) or when its
// values leave an intrinsic matrix that cannot serve: fx or fy not
// positive, or a value that is not finite (one line on `out`).
int readCalibration(const char* path, CameraCalibration& calibration, FILE* out = stdout);
