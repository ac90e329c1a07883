// The printed puzzle sheet and the page of cut-out digit tiles, A4 at 300 dpi.
// The synthetic camera films exactly this sheet.
#pragma once

#include "Sudoku.h"

#include <opencv2/core.hpp>

struct SheetLayout {
    static const int kWidth = 2480;   // A4 at 300 dpi
    static const int kHeight = 3508;
    static const int kCell = 212;     // 18 mm
    static const int kGridLeft = (kWidth - 9 * kCell) / 2;
    static const int kGridTop = 420;
    static const int kThinLine = 5;   // odd widths keep each line centred on its pixel
    static const int kThickLine = 15;
    static const int kTile = 170;     // a tile covers 0.8 of a cell
};

// Sheet pixel of grid model point (X, Y): X along the columns, Y = 9 at the
// top line of the printed puzzle.
cv::Point2d sheetPoint(double x, double y);

// 8-bit grey: grid with thick box lines, the given digits, number, permutation
// and difficulty of the puzzle.
cv::Mat drawPuzzleSheet(const Sudoku& board, int gridNumber);
// 8-bit grey: digits 1..9, ten tiles each, with light cut lines.
cv::Mat drawTileSheet();
// One white tile of size x size pixels with its digit, upright, and the rim of
// its grey cut line.
cv::Mat drawTile(int digit, int size);
// A digit of the given ink height centred on `centre`, black.
void drawDigit(cv::Mat& image, cv::Point2d centre, double height, int digit);

// The images the camera game loads at set-up: "imgs/digit/<d>.bmp" (a black
// digit on white, 64 x 64, colour) and the eleven 11 x 11 grid elements of
// "imgs/11x11", each the grid as seen around one kind of crossing.
const int kGridElementCount = 11;
extern const char* const kGridElementNames[kGridElementCount];
cv::Mat drawDigitImage(int digit);
// Empty for an unknown name.
cv::Mat drawGridElement(const char* name);
