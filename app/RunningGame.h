// The running game's state: the clock, the mouse and drag state of the play
// commands, the turning statistics, the menu's entry positions and the
// shell's flags. The shell owns one and hands it to the handlers; the
// display only reads it.
#pragma once

#include "WindowState.h"

struct TurningStatistics {
    int start = 0;  // clock time the turning going on began
    int total = 0;  // clock milliseconds spent turning the view
    int count = 0;  // turnings ended
};

struct RunningGame {
    GameClock clock;
    MouseHistory mouse;
    PlayMouseState play;
    TurningStatistics turning;
    int menuPositions[17];  // popup menu position of each menu value, -1 without
    int cameraPresent = 0;
    int quitFlag = 0;
    int wonFlag = 0;
    int newGameIdleTurns = 0;  // 1 when a free new game is asked for, then up by idle turns
    int currentDigit = 0;      // digit of the tile last made or picked up
    int showCameraTiles = 1;
    int popupMenu = 0;         // 0 until the menu is built
    int menuAttached = 0;
    int rememberCount = 0;     // successful pushes since the program started
    int gameLogged = 0;        // the game on the board has been written to the logs
    int agendaFileKept = 0;    // the player's file is unreadable and must stay as it is

    RunningGame() {
        for (int& p : menuPositions) p = -1;
    }

    // The window's mouse mode went from before to after: a turning begins or ends.
    void mouseModeChanged(MouseMode before, MouseMode after, long now);
    // A turning still going on counts from the restarted clock.
    void resetTurning(long now);
    // Total and count with a turning still going on ended now.
    void turningUpTo(long now, MouseMode mouseMode, int& total, int& count) const;
};
