#include "Globals.h"

SessionSettings session;
Sudoku* sudoku = nullptr;
GridStack* gridStack = nullptr;
GameWindow* gameWindow = nullptr;
TestSettings testSettings;
Agenda agenda;
CameraState camera;
GridVision* gridVision = nullptr;
VisionConsole visionConsole;
