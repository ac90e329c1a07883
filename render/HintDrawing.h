// The hint shapes: funnels, blocks, markup, overview panes, strips and box
// squares, drawn by the board drawing in board coordinates.
#pragma once

#include "SessionSettings.h"
#include "Sudoku.h"

// Corners of the candidate sub-square of digit d (keypad layout) in a cell.
void candidateSquare(const SudokuCell& cell, int d, float& x0, float& x1, float& y0, float& y1);
void drawFunnel(const SudokuCell& cell, int d, const SessionSettings& session);
// level 2 low, 3 high.
void drawBlock(const SudokuCell& cell, int level, int conflict, const SessionSettings& session);
void drawMarkup(const SudokuCell& cell, const SessionSettings& session);
// Moves the current matrix into pane which's frame: the row pane (1) hinged
// at the board's left edge, the column pane (0) at its top edge, folded up in 3D.
void placeOverviewPane(int which, const SessionSettings& session);
// Both panes at their places beside the board.
void drawOverviewPanes(const Sudoku& board, const SessionSettings& session);
// which: 1 the row pane, 0 the column pane.
void drawOverviewPane(const Sudoku& board, int which, const SessionSettings& session);
void drawRowStrips(const Sudoku& board, const SessionSettings& session);
void drawColumnStrips(const Sudoku& board, const SessionSettings& session);
void drawBoxSquares(const Sudoku& board, const SessionSettings& session);
const float* errorColor(int colored);
