// The popup menu's entries and the texts of its switch entries. Kept apart
// from GLUT so the exact texts can be checked without a window.
#pragma once

#include <string>
#include <vector>

enum MenuValue {
    MenuNothing = 0,
    MenuHelp = 1,
    MenuPush = 2,
    MenuPop = 3,
    MenuNextGame = 4,
    MenuProgress = 5,
    MenuQuit = 6,
    MenuColored = 7,
    Menu3D = 8,
    MenuBlocks = 9,
    MenuFunnels = 10,
    MenuMarkup = 11,
    MenuAutomaticMarkup = 12,
    MenuSemiautomaticMarkup = 13,
    MenuOverviews = 14,
    MenuGridStructure = 15,
    MenuEvaluation = 16
};

const int kFirstSwitchValue = MenuColored;
const int kLastSwitchValue = MenuEvaluation;
const int kSwitchCount = kLastSwitchValue - kFirstSwitchValue + 1;

struct MenuEntry {
    std::string text;
    int value;
};

// Text of a switch entry as the menu is built: "->" when the player may
// change the switch, "[FIXED]" otherwise.
std::string builtSwitchText(int value, int on, int modifiable);
// Text a toggle puts in; it differs from the built text in two places.
std::string toggledSwitchText(int value, int on);
// All 19 entries in menu order; switchOn and modifiable are indexed by value - 7.
// A fixed switch gets value 0, so choosing it does nothing.
std::vector<MenuEntry> buildMenuEntries(const int switchOn[kSwitchCount],
                                        const int modifiable[kSwitchCount]);
