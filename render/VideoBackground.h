// The camera picture behind the camera game's board: stretched over the
// whole window, or, with the picture flipped, pasted tile by tile onto the
// grid plane where the camera saw it and seen through the board's view.
#pragma once

#include "GameWindow.h"

#include <cstdio>

// Draws the game window's video image (RGB, bottom row first) as the
// background; nothing before the first frame. The re-projection notes
// window tiles of another size than the video's on `out`.
void drawVideoBackground(const GameWindow& window, FILE* out);

// First and last pixel (both included) of tile i of 8 across `size` pixels;
// tiles after the first reach 2 pixels back to overlap their neighbour, and
// the last one takes what the division leaves.
void videoTileSpan(int size, int i, int* first, int* last);
