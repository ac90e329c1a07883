// Reading the printed digits: the grid warped into an upright board image
// from the pose, every cell cut out, found empty or compared with the digit
// patterns; teaching missing patterns and correcting misread cells by the
// operator's clicks on the board image.
//
// The board image is warped from the grey frame, which is bottom-up, so its
// row r holds grid row r counted from the bottom (the board's row 8 - r). It
// is shown with its first row at the bottom, which stands the board upright.
#pragma once

#include <opencv2/core.hpp>

#include <cstdio>

class GridVision;

const int kBoardCell = 40;
const int kBoardMargin = 20;
const int kBoardSide = 400;
const int kPatchSide = 28;
const int kTeachWidth = 20;

// Slot d holds the pattern of digit d (slot 0 is never matched). The
// thresholded patterns are the ones matched.
struct DigitPatterns {
    cv::Mat grey[10], thresholded[10], colour[10];
};

// Per-cell tables by cell index 9 * row + column, rows from the bottom.
struct DigitTables {
    DigitPatterns patterns;
    int digit[81];  // -1 not read yet or unknown, 0 empty, 1..9
    int flag[81];   // 1 confirmed: not read again
    cv::Mat snapshot[81];  // the cell's last 28 x 28 colour picture
    cv::Mat rectified, thresholded;  // kept by rectifyAndShow
    cv::Mat display;   // the annotated board image for "DUMP", upright
    // Hand-over to the board, served by the shell after the camera step:
    // load after a reading, merge after a correction.
    int loadPending = 0, mergePending = 0;
    cv::Mat readClasses[10], correctedClasses[10];
    DigitTables();
};

// Ink components of a thresholded patch, numbered 1, 2, ... in place.
struct Components {
    int count = 0;
    cv::Rect box;  // over the components of more than 10 pixels; empty for none
};

// Pattern files: "patterns/p%d.bmp" (grey) and "patterns/p_th%d.bmp"
// (thresholded), the digit upright. A missing file leaves its slot empty;
// one that cannot be read, is not 8-bit or is larger than a patch is
// skipped with one line. Returns the number of digits with a usable pair.
int loadPatterns(DigitPatterns& patterns, FILE* out);
// An empty image for a missing or unusable file (one line for the latter).
cv::Mat loadPattern(const char* path, FILE* out);
// Writes a bottom-up pattern upright, through a temporary file renamed into
// place; 1 on success.
int savePattern(const char* path, const cv::Mat& pattern);

// The board image of the grid (GridVision::warpModelRectangle), and its
// adaptive threshold: ink 0, paper 255.
cv::Mat rectifyBoard(const GridVision& vision, const cv::Mat& grey);
void thresholdRectified(const cv::Mat& rectified, cv::Mat& thresholded);
cv::Point2f cellCentre(int row, int column);

Components analyseComponents(cv::Mat& patch, int debugLevel, FILE* out);
// The largest normalized correlation coefficient of an 8-bit pattern over
// every place in an 8-bit patch no smaller than it (sums kept in ints: patch
// sizes of a cell), as the maximum of
// cv::matchTemplate's TM_CCOEFF_NORMED, without that call's set-up per use.
double bestCorrelation(const cv::Mat& patch, const cv::Mat& pattern);
// The digit whose thresholded pattern correlates best with the patch (the
// lower digit on a tie) and its score; 0 with 1.0 for a patch without ink,
// -1 with -1.0 when no pattern can be matched. The patch stays as it is.
int classifyPatch(const cv::Mat& thresholdedPatch, const cv::Mat thresholdedPatterns[10],
                  float* score, int debugLevel, FILE* out);

// The thresholded board upright in colour, with the grid marks, the cell
// labels (and the line labels "9" with `lineLabels`) and every cell's entry.
cv::Mat annotatedBoard(const cv::Mat& thresholded, const DigitTables& tables, int lineLabels);
void printDigitTable(const int digit[81], FILE* out);
// The cell under a click in the shown board; prints where it fell. 1 inside the grid.
int clickedCell(int clickX, int clickY, int* row, int* column, FILE* out);

void flagReadDigits(DigitTables& tables);
void rectifyAndShow(GridVision& vision, const cv::Mat& grey);
// Every cell not confirmed yet; a cell whose middle (out to a tenth of a cell
// from its lines) the picture does not show is unknown (-1).
void readDigits(GridVision& vision, const cv::Mat& grey);

// The operator's side of teaching and correcting. A wait returns 0 (or -1
// for the key) when the operator ends the dialogue: the window is closed or
// Esc pressed.
class OperatorInput {
public:
    virtual ~OperatorInput() = default;
    virtual void show(const cv::Mat& display) = 0;
    virtual int waitClick(int* x, int* y) = 0;
    virtual int waitDigitKey() = 0;  // '0'..'9'
};

// One pass over the digits 1..9: a click on a cell holding d records it and,
// when d has no pattern yet, makes and saves one. Never replaces a pattern.
void teachDigits(GridVision& vision, const cv::Mat& grey, OperatorInput& input);
// Clicks and digit keys until a click outside the grid; the board merges them.
void correctDigits(GridVision& vision, const cv::Mat& grey, OperatorInput& input);
// The patterns of the cell holding `digit` (the teaching patch cut tight
// around its ink plus one pixel); 0 for an empty cell.
int cutPattern(const cv::Mat& rectified, const cv::Mat& thresholded, int row, int column,
               cv::Mat& greyPattern, cv::Mat& thresholdedPattern, int debugLevel, FILE* out);
