// The game window's set-up and its GLUT callbacks.
#pragma once

#include "RunningGame.h"

// Creates the window with the session's title and registers the callbacks,
// which play the given game.
void openGameWindow(RunningGame& game, const char* title);
// The menu is attached to the right button only away from the board and its table.
void applyMenuRule(RunningGame& game, int wanted);
