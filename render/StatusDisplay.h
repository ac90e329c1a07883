// The flat overlay in window pixels after the board: won message, counters,
// clock, start prompt of the camera game, input mode and turning guide.
#pragma once

#include "BoardDrawing.h"
#include "GameWindow.h"
#include "Sudoku.h"

void drawStatusOverlay(const GameWindow& window, const Sudoku& board, const FrameInputs& in);
// "%2d:%2d:%2d" of the clock's elapsed time; empty while nothing has elapsed.
void clockText(long elapsed, char* out, int size);
