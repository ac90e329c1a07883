// Writes the digit patterns the camera game reads the printed digits with,
// "patterns/p<d>.bmp" and "patterns/p_th<d>.bmp" for d = 1..9, from the font
// and size of the printable sheet, cut from the board image the way teaching
// cuts them. Usage: make_patterns [data folder]   (default: data)
#include "DigitReader.h"
#include "Sheet.h"

#include <opencv2/imgproc.hpp>

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    const std::string data = argc > 1 ? argv[1] : "data";
    // Digit d printed in row 4, column d - 1 of the sheet.
    Sudoku board;
    for (int d = 1; d <= 9; d++) board.setDigit(4, d - 1, d, Given);
    const cv::Mat sheet = drawPuzzleSheet(board, 0);
    // The board image as rectifying makes it: the grid and half a cell
    // around it, 40 pixels a cell, bottom row first.
    using L = SheetLayout;
    const cv::Rect grid(L::kGridLeft - L::kCell / 2, L::kGridTop - L::kCell / 2, 10 * L::kCell,
                        10 * L::kCell);
    cv::Mat rectified;
    cv::resize(sheet(grid), rectified, cv::Size(kBoardSide, kBoardSide), 0, 0, cv::INTER_AREA);
    cv::flip(rectified, rectified, 0);
    // A camera never sees the print sharp, and its blur fattens the strokes
    // the threshold leaves: patterns cut from the sharp sheet are thinner
    // than any camera's digits. A webcam's blur is about 0.8 pixel here.
    cv::GaussianBlur(rectified, rectified, cv::Size(), 0.8);
    cv::Mat thresholded;
    thresholdRectified(rectified, thresholded);
    int written = 0;
    for (int d = 1; d <= 9; d++) {
        cv::Mat grey, ink;
        if (!cutPattern(rectified, thresholded, 4, d - 1, grey, ink, 0, stdout)) continue;
        char path[200];
        std::snprintf(path, sizeof path, "%s/patterns/p%d.bmp", data.c_str(), d);
        written += savePattern(path, grey);
        std::snprintf(path, sizeof path, "%s/patterns/p_th%d.bmp", data.c_str(), d);
        written += savePattern(path, ink);
    }
    if (written != 18) {
        std::printf("could not write the patterns into %s/patterns\n", data.c_str());
        return 1;
    }
    std::printf("wrote %d patterns into %s/patterns\n", written, data.c_str());
    return 0;
}
