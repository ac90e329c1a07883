// The popup menu's commands: help, remembered boards, the moves of a test
// series, and the feature switches. The window side builds the menu and
// carries out what a command leaves for it (MenuEffects).
#pragma once

#include "MenuTexts.h"
#include "RunningGame.h"

#include <cstdio>
#include <string>

struct MenuEffects {
    int resetView = 0;      // reset view with the 3D initialisation
    int entryPosition = 0;  // 1..19: the entry whose text changes
    std::string entryText;
    int moveWindow = 0;     // to 500, 50
    int newTitle = 0;       // the session's window title changed
};

// Entries of the menu as it is built now: the session's switches, the
// board's evaluation flag and the test settings' modifiable flags.
std::vector<MenuEntry> currentMenuEntries();
// Fills the game's table from value to menu position (1..19; -1 for a value
// without an entry of its own).
void recordMenuPositions(RunningGame& game, const std::vector<MenuEntry>& entries);

MenuEffects menuCommand(RunningGame& game, int value, FILE* out);
// Logs the game being left and saves the agenda, then moves on: the next
// item of the test series, or a free new game asked for on the console.
MenuEffects nextGame(RunningGame& game, FILE* out);
