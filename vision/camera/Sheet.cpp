#include "Sheet.h"

#include "PuzzleFile.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cstdio>

namespace {

const cv::Scalar kInk(0), kPaper(255), kCutLine(190);
const int kFont = cv::FONT_HERSHEY_SIMPLEX;

void putLabel(cv::Mat& image, const char* text, int x, int y) {
    cv::putText(image, text, cv::Point(x, y), kFont, 3.0, kInk, 6, cv::LINE_AA);
}

}  // namespace

cv::Point2d sheetPoint(double x, double y) {
    return cv::Point2d(SheetLayout::kGridLeft + x * SheetLayout::kCell,
                       SheetLayout::kGridTop + (9 - y) * SheetLayout::kCell);
}

void drawDigit(cv::Mat& image, cv::Point2d centre, double height, int digit) {
    char text[2] = {(char)('0' + digit % 10), 0};
    int baseline = 0;
    const cv::Size unit = cv::getTextSize(text, kFont, 1.0, 1, &baseline);
    const double scale = height / unit.height;
    const int thickness = std::max(1, (int)(height / 9));
    const cv::Size size = cv::getTextSize(text, kFont, scale, thickness, &baseline);
    const cv::Point origin((int)(centre.x - size.width / 2.0 + 0.5),
                           (int)(centre.y + unit.height * scale / 2.0 + 0.5));
    cv::putText(image, text, origin, kFont, scale, kInk, thickness, cv::LINE_AA);
}

cv::Mat drawPuzzleSheet(const Sudoku& board, int gridNumber) {
    using L = SheetLayout;
    cv::Mat sheet(L::kHeight, L::kWidth, CV_8U, kPaper);
    // Thin lines first, the thick box lines over them; every line is centred
    // on the sheet pixel of its model coordinate.
    for (int pass = 0; pass < 2; pass++) {
        for (int i = 0; i <= 9; i++) {
            const bool thick = i % 3 == 0;
            if (thick != (pass == 1)) continue;
            const int half = (thick ? L::kThickLine : L::kThinLine) / 2;
            const int outer = L::kThickLine / 2;
            const cv::Point2d a = sheetPoint(i, 9), b = sheetPoint(i, 0);
            cv::rectangle(sheet, cv::Point((int)a.x - half, (int)a.y - outer),
                          cv::Point((int)b.x + half, (int)b.y + outer), kInk, cv::FILLED);
            const cv::Point2d c = sheetPoint(0, i), d = sheetPoint(9, i);
            cv::rectangle(sheet, cv::Point((int)c.x - outer, (int)c.y - half),
                          cv::Point((int)d.x + outer, (int)d.y + half), kInk, cv::FILLED);
        }
    }
    for (int r = 0; r < 9; r++) {
        for (int c = 0; c < 9; c++) {
            const int digit = board.digitAt(r, c);
            if (digit >= 1 && digit <= 9)
                drawDigit(sheet, sheetPoint(c + 0.5, 8.5 - r), 0.55 * L::kCell, digit);
        }
    }
    char text[120];
    const int below = (int)sheetPoint(0, 0).y + 200;
    std::snprintf(text, sizeof text, "Puzzle %d   permutation %d", gridNumber,
                  board.permutationNumber);
    putLabel(sheet, text, L::kGridLeft, below);
    char name[40] = "", stars[8] = "";
    board.difficultyName(name, sizeof name);
    difficultyStars(board.difficulty, stars, sizeof stars);
    std::snprintf(text, sizeof text, "difficulty: %s %s", name, stars);
    putLabel(sheet, text, L::kGridLeft, below + 130);
    return sheet;
}

cv::Mat drawTile(int digit, int size) {
    cv::Mat tile(size, size, CV_8U, kPaper);
    drawDigit(tile, cv::Point2d((size - 1) / 2.0, (size - 1) / 2.0), 0.6 * size, digit);
    // What is left of the cut line after cutting.
    cv::rectangle(tile, cv::Rect(0, 0, size, size), kCutLine, std::max(1, size / 85));
    return tile;
}

cv::Mat drawTileSheet() {
    using L = SheetLayout;
    cv::Mat sheet(L::kHeight, L::kWidth, CV_8U, kPaper);
    const int pitch = L::kTile + 30, perRow = 10;
    const int left = (L::kWidth - perRow * pitch) / 2, top = 420;
    putLabel(sheet, "Tabrelo digit tiles: cut along the grey lines", left, top - 120);
    for (int digit = 1; digit <= 9; digit++) {
        for (int k = 0; k < perRow; k++) {
            const cv::Rect place(left + k * pitch, top + (digit - 1) * pitch, L::kTile, L::kTile);
            drawTile(digit, L::kTile).copyTo(sheet(place));
        }
    }
    return sheet;
}
