#include "DigitBitmaps.h"

#include <cstring>

namespace {

// Glyph pixels of columns 4..11 and rows 1..13 of the bitmap; strokes are two pixels wide.
const char* const kGlyphs[9][13] = {
    {"...##...", "..###...", ".####...", "##.##...", "...##...", "...##...", "...##...",
     "...##...", "...##...", "...##...", "...##...", "########", "########"},
    {".######.", "########", "##....##", "......##", "......##", ".....##.", "....##..",
     "...##...", "..##....", ".##.....", "##......", "########", "########"},
    {"#######.", "########", "......##", "......##", "......##", "..#####.", "..#####.",
     "......##", "......##", "......##", "......##", "########", "#######."},
    {".....##.", "....###.", "...####.", "..##.##.", ".##..##.", "##...##.", "##...##.",
     "########", "########", ".....##.", ".....##.", ".....##.", ".....##."},
    {"########", "########", "##......", "##......", "##......", "#######.", "########",
     "......##", "......##", "......##", "......##", "########", "#######."},
    {".######.", "########", "##......", "##......", "##......", "#######.", "########",
     "##....##", "##....##", "##....##", "##....##", "########", ".######."},
    {"########", "########", "......##", "......##", ".....##.", ".....##.", "....##..",
     "....##..", "...##...", "...##...", "..##....", "..##....", "..##...."},
    {".######.", "########", "##....##", "##....##", "##....##", ".######.", ".######.",
     "##....##", "##....##", "##....##", "##....##", "########", ".######."},
    {".######.", "########", "##....##", "##....##", "##....##", "##....##", "########",
     ".#######", "......##", "......##", "......##", "########", ".######."},
};

const unsigned char kGlyphColors[10][3] = {
    {255, 255, 255}, {255, 0, 0},  {200, 200, 0},  {0, 255, 64},  {0, 0, 192},
    {255, 128, 0},   {64, 0, 128}, {64, 64, 64},   {0, 128, 128}, {255, 0, 192},
};

const float kDigitColors[10][4] = {
    {0.75f, 0.75f, 0.25f, 1.0f}, {1.0f, 0.0f, 0.0f, 0.2f},  {0.75f, 0.75f, 0.0f, 0.4f},
    {0.0f, 1.0f, 0.25f, 0.2f},   {0.0f, 0.0f, 0.75f, 0.2f}, {1.0f, 0.5f, 0.0f, 0.2f},
    {0.25f, 0.0f, 0.5f, 0.2f},   {0.25f, 0.25f, 0.25f, 0.25f}, {0.0f, 0.5f, 0.5f, 0.2f},
    {1.0f, 0.0f, 0.75f, 0.2f},
};
const float kGreyColor[4] = {0.75f, 0.75f, 0.75f, 0.4f};

const int kBitmapBytes = kDigitBitmapSize * kDigitBitmapSize * 3;

struct BitmapSets {
    unsigned char colored[10][kBitmapBytes];
    unsigned char blackWhite[10][kBitmapBytes];

    BitmapSets() {
        std::memset(colored, 255, sizeof colored);
        std::memset(blackWhite, 255, sizeof blackWhite);
        for (int d = 1; d <= 9; d++) {
            for (int r = 0; r < 13; r++) {
                for (int c = 0; c < 8; c++) {
                    if (kGlyphs[d - 1][r][c] != '#') continue;
                    const int at = ((r + 1) * kDigitBitmapSize + (c + 4)) * 3;
                    for (int k = 0; k < 3; k++) {
                        colored[d][at + k] = kGlyphColors[d][k];
                        blackWhite[d][at + k] = 100;
                    }
                }
            }
        }
    }
};

}  // namespace

const unsigned char* digitBitmap(int digit, int colored) {
    static const BitmapSets sets;
    if (digit < 0 || digit > 9) return nullptr;
    return colored ? sets.colored[digit] : sets.blackWhite[digit];
}

const float* digitColor(int digit, int colored) {
    if (!colored) return kGreyColor;
    return kDigitColors[digit < 0 || digit > 9 ? 0 : digit];
}
