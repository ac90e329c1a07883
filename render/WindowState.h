// The window system's mouse buttons and the GL-free input state of a game:
// the game clock, the mouse history and the play-mouse state (the shell's
// game record holds them). Times are millisecond tick counts.
#pragma once

#include "SplitTime.h"

#include <ctime>

// Milliseconds of a monotonic clock.
long tickCount();

// Button and state numbers as the window system delivers them.
enum { kLeftButton = 0, kMiddleButton = 1, kRightButton = 2 };
enum { kButtonDown = 0, kButtonUp = 1 };

// What the mouse does in the game window: play, or turn the VR view.
enum MouseMode { kTurningMode = 0, kPlayMode = 1 };

struct GameClock {
    int running = 0;
    long startTick = 0;
    long total = 0;
    std::time_t startTime = 0;  // calendar time of the last start, for the log

    void start(long now);
    long elapsed(long now) const;
    void stop(long now);
    // Runs on from now; a running clock loses what ran since it last started.
    void resume(long now);
};

struct MouseEvent {
    int button = -1;
    int state = kButtonUp;
    int x = 0, y = 0;
    long tick = 0;
};

struct MouseHistory {
    MouseEvent current, previous, lastPress, lastRelease;

    void record(int button, int state, int x, int y, long tick);
    // A press with the same button as the last press, less than 300 ms after it.
    int isDoublePress() const;
    // The current event is a press made less than 150 ms before now.
    int isHeldPress(long now) const;
};

struct PlayMouseState {
    int dragging = 0;
    int dragX = 0, dragY = 0;
    int rightDown = 0;
    int rightX = 0, rightY = 0;
};

