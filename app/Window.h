// The game window's set-up and its GLUT callbacks.
#pragma once

// Creates the window with the session's title and registers the callbacks.
void openGameWindow(const char* title);
// The menu is attached to the right button only away from the board and its table.
void applyMenuRule(int wanted);
