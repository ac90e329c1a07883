// The frame and the board drawing: grid lines, board square, table area,
// cells, digits, tiles and grid-structure labels, all in
// board coordinates (one unit per cell, the board in z = 0).
#pragma once

#include "GameWindow.h"
#include "SessionSettings.h"
#include "Sudoku.h"

// Shell state the frame shows besides the board.
struct FrameInputs {
    int won = 0;
    int stackDepth = 0;
    int showCameraTiles = 1;
    int useMouse = 1;           // camera game: digits with the mouse (1) or tiles (0)
    int recognitionFrozen = 0;  // camera game: 1 once the player has started with key o
    long clockElapsed = 0;      // the game clock's milliseconds
};

// The fixed GL state of the game window.
void setupGlState();
// The display callback's drawing, ending with the board's view in force
// for picking; the caller swaps the buffers.
void drawFrame(const GameWindow& window, const Sudoku& board, const FrameInputs& in);
void drawBoard(const Sudoku& board, const SessionSettings& session, int showCameraTiles);
void drawCell(const SudokuCell& cell, const Sudoku& board, const SessionSettings& session);
// Row letters and column numbers beside the board (beyond the overview panes when shown).
void drawGridLabels(const SessionSettings& session);
// Box numerals in the board's plane, drawn before the cells.
void drawBoxNumerals();
// Whether a tile at (x, y) lies in the band or the stack of cell (row, column).
int tileInBand(const Tile& t, int row, int rows);
int tileInStack(const Tile& t, int column);
