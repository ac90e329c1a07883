// The record of the running session: puzzle, player, test, file names and
// the feature switches that the menu toggles and the drawing reads.
#pragma once

#include <cstddef>
#include <string>

struct SessionSettings {
    static const int kTextSize = 80;
    static const int kTitleSize = 200;

    int gridNumber = 1;
    int permutation = 0;
    char userName[kTextSize];
    char productCaption[kTextSize];
    char windowTitle[kTitleSize];
    char testsFolder[kTextSize];
    char testName[kTextSize];
    char testFolder[kTextSize];
    char settingsFileName[kTextSize];
    char settingsPath[kTextSize];
    char gridsFolder[kTextSize];
    char gridFileName[kTextSize];
    char gridPath_[kTextSize];
    char userFileName[kTextSize];
    char userPath_[kTextSize];

    int arMode = 0;
    int show_AR = 1;
    int show_colored = 1;
    int show_3D = 1;
    int show_repulsive = 1;
    int show_attractive = 1;
    int show_overviews = 1;
    int show_markup = 1;
    int show_grid_structure = 0;
    int automatic_markup = 0;
    int semiautomatic_markup = 0;

    SessionSettings();

    void setUserName(const char* name);
    void setTestName(const char* name);
    void setGridNumber(int number);
    const char* gridPath();
    // Empty when the test folder leaves no room for the player's file.
    const char* userPath();

    // Switch accessors: set ignores values other than 0 and 1.
    int getArMode() const { return arMode; }
    void setArMode(int v) { setSwitch(arMode, v); }
    void toggleArMode() { arMode = 1 - arMode; }
#define SESSION_SWITCH(name, Name)                \
    int get##Name() const { return name; }        \
    void set##Name(int v) { setSwitch(name, v); } \
    void toggle##Name() { name = 1 - name; }
    SESSION_SWITCH(show_colored, ShowColored)
    SESSION_SWITCH(show_3D, Show3D)
    SESSION_SWITCH(show_repulsive, ShowRepulsive)
    SESSION_SWITCH(show_attractive, ShowAttractive)
    SESSION_SWITCH(show_overviews, ShowOverviews)
    SESSION_SWITCH(show_markup, ShowMarkup)
    SESSION_SWITCH(show_grid_structure, ShowGridStructure)
#undef SESSION_SWITCH
    int getShowAR() const { return show_AR; }
    void setShowAR(int v) { setSwitch(show_AR, v); }
    int getAutomaticMarkup() const { return automatic_markup; }
    void toggleAutomaticMarkup() { automatic_markup = 1 - automatic_markup; }
    int getSemiautomaticMarkup() const { return semiautomatic_markup; }
    void toggleSemiautomaticMarkup() { semiautomatic_markup = 1 - semiautomatic_markup; }

private:
    static void setSwitch(int& field, int v) {
        if (v == 0 || v == 1) field = v;
    }
};

// The player's name as the stem of an agenda file name. Names of ordinary
// characters stand for themselves. A character a file name cannot hold, and
// '%' itself, becomes %XX, so two names never share a stem; so does the
// first character of a name that would make the series' "config", a hidden
// file or a blank name. The empty name is "%00".
std::string agendaFileStem(const std::string& name);
// At most room bytes: a longer stem keeps its start and ends in "%~" and a
// hash of the whole stem; "" when not even that fits.
std::string fittedStem(const std::string& stem, size_t room);
