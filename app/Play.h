// The play commands of the game window that need no GL: keys, the play
// handler of mouse presses, releases and drags, and the menu attachment rule.
// The window side picks the mouse position into board coordinates first.
#pragma once

#include "RunningGame.h"
#include "Sudoku.h"

#include <cstdio>

// A mouse position in the window (y downwards) and the board point under it.
struct MousePlace {
    int x = 0, y = 0;
    double bx = 0, by = 0;
    int overDrawing = 1;  // 0 over the empty background: bx, by then lie on the far plane
};

int placeRow(const MousePlace& p);     // 8 - floor(by)
int placeColumn(const MousePlace& p);  // floor(bx)
int onBoard(const MousePlace& p);
int inTable(const MousePlace& p);
int inCorner(const MousePlace& p);

// What the window side still has to do after a command.
enum PlayRequest {
    kNothingMore = 0,
    kEnterTurning = 1,  // turn to the turning mode and, if that took effect, re-centre
    kFlatView = 2,      // reset view
    kObliqueView = 3,   // reset view with the 3D initialisation
};

PlayRequest playKey(RunningGame& game, unsigned char key, const MousePlace& p, long now,
                    FILE* out);
PlayRequest playMouse(RunningGame& game, int button, int state, const MousePlace& p);
void playDrag(RunningGame& game, const MousePlace& p, long now);
// 1 when the right button should open the menu here: in play mode away from
// board and table.
int menuWanted(const MousePlace& p);
