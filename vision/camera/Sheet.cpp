#include "Sheet.h"

#include "PuzzleFile.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

const cv::Scalar kInk(0), kPaper(255), kCutLine(190);
const int kFont = cv::FONT_HERSHEY_SIMPLEX;

void putLabel(cv::Mat& image, const char* text, int x, int y) {
    cv::putText(image, text, cv::Point(x, y), kFont, 3.0, kInk, 6, cv::LINE_AA);
}

}  // namespace

cv::Rect cutRectangle() {
    using L = SheetLayout;
    const cv::Point2d topLeft = sheetPoint(0, 9);
    return cv::Rect((int)topLeft.x - L::kCutMargin, (int)topLeft.y - L::kCutMargin,
                    9 * L::kCell + 2 * L::kCutMargin + 1, 9 * L::kCell + 2 * L::kCutMargin + 1);
}

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
    const cv::Rect cut = cutRectangle();
    // Crop marks continue the cut's edges outwards, leaving a gap at its corners.
    const int gap = 20, mark = 120;
    for (const int x : {cut.x, cut.x + cut.width - 1})
        for (const int y : {cut.y, cut.y + cut.height - 1}) {
            const int outX = x == cut.x ? -1 : 1, outY = y == cut.y ? -1 : 1;
            cv::line(sheet, cv::Point(x + outX * gap, y), cv::Point(x + outX * (gap + mark), y),
                     kCutLine, 3);
            cv::line(sheet, cv::Point(x, y + outY * gap), cv::Point(x, y + outY * (gap + mark)),
                     kCutLine, 3);
        }
    // The labels lie above the cut: cutting leaves no ink on the table beside the grid.
    char text[120];
    std::snprintf(text, sizeof text, "Puzzle %d   permutation %d", gridNumber,
                  board.permutationNumber);
    putLabel(sheet, text, L::kGridLeft, cut.y - 230);
    char name[40] = "", stars[8] = "";
    board.difficultyName(name, sizeof name);
    difficultyStars(board.difficulty, stars, sizeof stars);
    std::snprintf(text, sizeof text, "difficulty: %s %s", name, stars);
    putLabel(sheet, text, L::kGridLeft, cut.y - 100);
    putLabel(sheet, "cut along the marks, play on a dark table", L::kGridLeft,
             cut.y + cut.height + 200);
    return sheet;
}

cv::Mat drawTile(int digit, int size) {
    using L = SheetLayout;
    cv::Mat tile(size, size, CV_8U, kPaper);
    const double c = (size - 1) / 2.0;
    drawDigit(tile, cv::Point2d(c, c), 0.55 * L::kCell * size / L::kTile, digit);
    // A turned 6 reads as 9: both are underlined on tiles.
    if (digit == 6 || digit == 9)
        cv::line(tile, cv::Point2d(c - 0.18 * size, c + 0.41 * size),
                 cv::Point2d(c + 0.18 * size, c + 0.41 * size), kInk, std::max(1, size / 40));
    const int frame = std::max(1, (int)std::lround((double)L::kTileFrame * size / L::kTile));
    cv::rectangle(tile, cv::Rect(0, 0, size, size), kInk, 2 * frame);
    return tile;
}

cv::Mat drawTileSheet() {
    using L = SheetLayout;
    cv::Mat sheet(L::kHeight, L::kWidth, CV_8U, kPaper);
    const int pitch = L::kTile + 30, perRow = 10;
    const int left = (L::kWidth - perRow * pitch) / 2, top = 420;
    putLabel(sheet, "Tabrelo tiles: cut around the frames", left, top - 120);
    for (int digit = 1; digit <= 9; digit++) {
        for (int k = 0; k < perRow; k++) {
            const cv::Rect place(left + k * pitch, top + (digit - 1) * pitch, L::kTile, L::kTile);
            drawTile(digit, L::kTile).copyTo(sheet(place));
        }
    }
    return sheet;
}

const char* const kGridElementNames[kGridElementCount] = {
    "cross.bmp",      "line_horizontal.bmp", "line_vertical.bmp", "border_top.bmp",
    "border_bottom.bmp", "border_left.bmp",   "border_right.bmp",  "corner_ll.bmp",
    "corner_lr.bmp",  "corner_ul.bmp",       "corner_ur.bmp",
};

cv::Mat drawDigitImage(int digit) {
    cv::Mat grey(64, 64, CV_8U, kPaper), colour;
    drawDigit(grey, cv::Point2d(31.5, 31.5), 40, digit);
    cv::cvtColor(grey, colour, cv::COLOR_GRAY2BGR);
    return colour;
}

cv::Mat drawGridElement(const char* name) {
    // Which of the four arms (left, right, up, down) leave the centre.
    static const char* const arms[kGridElementCount] = {
        "lrud", "lr", "ud", "lrd", "lru", "udr", "udl", "ru", "lu", "rd", "ld"};
    int k = 0;
    while (k < kGridElementCount && std::strcmp(name, kGridElementNames[k]) != 0) k++;
    if (k == kGridElementCount) return cv::Mat();
    cv::Mat grey(11, 11, CV_8U, kPaper), colour;
    const cv::Rect centre(4, 4, 3, 3);
    grey(centre).setTo(kInk);
    for (const char* a = arms[k]; *a; a++) {
        const cv::Rect arm = *a == 'l' ? cv::Rect(0, 4, 4, 3)
                             : *a == 'r' ? cv::Rect(7, 4, 4, 3)
                             : *a == 'u' ? cv::Rect(4, 0, 3, 4)
                                         : cv::Rect(4, 7, 3, 4);
        grey(arm).setTo(kInk);
    }
    cv::cvtColor(grey, colour, cv::COLOR_GRAY2BGR);
    return colour;
}
