#include "RunningGame.h"

void RunningGame::mouseModeChanged(MouseMode before, MouseMode after, long now) {
    if (before == after) return;
    const int ms = (int)clock.elapsed(now);
    if (after == kTurningMode) {
        turning.start = ms;
    } else {
        turning.total += ms - turning.start;
        turning.count += 1;
    }
}

void RunningGame::resetTurning(long now) {
    turning.total = 0;
    turning.count = 0;
    turning.start = (int)clock.elapsed(now);
}

void RunningGame::turningUpTo(long now, MouseMode mouseMode, int& total, int& count) const {
    total = turning.total;
    count = turning.count;
    if (mouseMode == kTurningMode) {
        total += (int)clock.elapsed(now) - turning.start;
        count += 1;
    }
}
