// The frame and the board drawing: grid lines, board square, table area,
// cells, digit textures, tiles, grid-structure labels and stroke text, all in
// board coordinates (one unit per cell, the board in z = 0).
#pragma once

#include "GameWindow.h"
#include "SessionSettings.h"
#include "Sudoku.h"

#include <opencv2/core.hpp>

// Shell state the frame shows besides the board.
struct FrameInputs {
    int won = 0;
    int stackDepth = 0;
    int showCameraTiles = 1;
    int useMouse = 1;           // camera game: digits with the mouse (1) or tiles (0)
    int recognitionFrozen = 0;  // camera game: 1 once the player has started with key o
};

// The fixed GL state of the game window.
void setupGlState();
// The display callback's drawing, ending with the board's view in force
// for picking; the caller swaps the buffers.
void drawFrame(GameWindow& window, Sudoku& board, const FrameInputs& in);
void drawBoard(Sudoku& board, const SessionSettings& session, int showCameraTiles);
void drawCell(const SudokuCell& cell, Sudoku& board, const SessionSettings& session);
// Loads the texture of the next textured quad: the image (flipped, scaled by
// intensity; grey or four-channel ones as RGB, others count as none) or,
// without one, the built-in bitmap. 0 for no image and a digit outside 0..9.
int makeDigitTexture(int digit, const cv::Mat& image, float intensity, int colored);
void texturedQuad(float x0, float x1, float y0, float y1, float zRight, float zLeft);
// One polygon from (x0, y0) to (x1, y1) in the plane z.
void flatRectangle(float x0, float y0, float x1, float y1, float z);
// Text in the Roman stroke font; characters stop before max width. Returns the width.
int strokeText(float x, float y, const char* text, float height, float maxWidth, float r,
               float g, float b);
int strokeText3D(float x, float y, float z, const char* text, float height, float maxWidth,
                 float r, float g, float b);
// Row letters and column numbers beside the board (beyond the overview panes when shown).
void drawGridLabels(const Sudoku& board, const SessionSettings& session);
// Box numerals in the board's plane, drawn before the cells.
void drawBoxNumerals();
// Whether a tile at (x, y) lies in the band or the stack of cell (row, column).
int tileInBand(const Tile& t, int row, int rows);
int tileInStack(const Tile& t, int column);
