// The camera game's part of the shell: the image set-up and the camera step
// of the idle callback, which hands the GL-ready frame, the calibration and
// every new pose to the game window.
#pragma once

#include "RunningGame.h"
#include "Sudoku.h"

#include <cstdio>

// Opens TABRELO_CAMERA or the first camera; 1 when a frame came from it.
int openCameraSource(FILE* out);
// The image set-up, once; the game window gets its part when it exists.
void setUpCameraGame(FILE* out);
// Video size and calibration for the game window (it is created after the set-up).
void handCameraToWindow();
void handCalibrationToWindow();
// One camera step with what the shell does for its keys and hand-overs.
void cameraGameStep(RunningGame& game, FILE* in, FILE* out);
// The game window draws with the console's flip and view angle.
void keepViewInStep();
// A tile lying straight in the middle of a cell enters its digit there
// (digit 0 takes an entered digit back).
void cameraTilesToBoard(Sudoku& board, FILE* out);
