// The built-in 16 x 16 digit bitmaps (coloured and black-and-white) and the
// per-digit colours of the hints.
#pragma once

const int kDigitBitmapSize = 16;

// 16 x 16 R, G, B bytes, top row first; index 0 is all white. Null outside 0..9.
const unsigned char* digitBitmap(int digit, int colored);
// Red, green, blue and alpha of the hints for digit 0..9.
const float* digitColor(int digit, int colored);
