// The program's singletons for the whole run, declared in one place: the
// board, the stack of remembered boards, the session record, the test
// settings, the agenda, the game window, and the camera side.
#pragma once

#include "Agenda.h"
#include "GameWindow.h"
#include "GridStack.h"
#include "GridVision.h"
#include "SessionSettings.h"
#include "Sudoku.h"
#include "TestSettings.h"
#include "VisionConsole.h"

extern SessionSettings session;
extern Sudoku* sudoku;          // replaced when a remembered board is popped
extern GridStack* gridStack;
extern GameWindow* gameWindow;
extern TestSettings testSettings;
extern Agenda agenda;           // empty without a test series
extern CameraState camera;
extern GridVision* gridVision;  // created by the first image set-up
extern VisionConsole visionConsole;
