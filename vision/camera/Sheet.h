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
    static const int kTile = 191;     // a tile covers 0.9 of a cell
    // The grid is cut out this far outside its outer lines, so that the
    // table shows right beside it where the tiles are looked for.
    static const int kCutMargin = 106;
    // A black frame along each tile's edge keeps the tile's white apart from
    // the white of the paper it lies on.
    static const int kTileFrame = 10;
};

// Sheet pixel of grid model point (X, Y): X along the columns, Y = 9 at the
// top line of the printed puzzle.
cv::Point2d sheetPoint(double x, double y);

// Sheet pixels of the piece that is cut out: the grid and a thin margin.
cv::Rect cutRectangle();
// 8-bit grey: grid with thick box lines and the given digits, grey cut marks
// at the corners of the cut, and, outside the cut, the number, permutation
// and difficulty of the puzzle.
cv::Mat drawPuzzleSheet(const Sudoku& board, int gridNumber);
// 8-bit grey: digits 1..9, ten framed tiles each.
cv::Mat drawTileSheet();
// One white tile of size x size pixels with its black frame and its digit,
// upright, the digit as large as the sheet's printed ones.
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
