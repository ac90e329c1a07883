// A player's agenda in a test series: every combination of the series'
// values as one game, walked in a seeded order, kept in
// "Tests/<test>/<player>.xml" so that a later run goes on where the player
// stopped.
#pragma once

#include "SplitTime.h"

#include <cstdio>
#include <string>

class Sudoku;
struct SessionSettings;
struct TestSettings;
struct XMLDoc;

struct AgendaItem {
    int grid, permutation, AR, colored, in3D, repulsive, attractive, overviews, markup,
        evaluate;
    int done;          // 0 open, nonzero done
    int milliseconds;  // the time the game took

    // Sets the session's switches, grid number and permutation and the
    // board's evaluation flag from the item (values other than 0/1 are ignored).
    void applyTo(SessionSettings& session, Sudoku& board) const;
};

struct Agenda {
    static constexpr int kCapacity = 60;

    AgendaItem items[kCapacity];
    int length = 0;
    int step = 1;     // stride of the walking order
    int current = 0;  // index of the current item
    int started = 0;  // never changed: remaining() is in effect the length

    Agenda();
    // Every combination of the settings' values, innermost evaluate. The
    // program seeds with the calendar time, tests with a fixed number.
    // Prints the start index and step; keeps the first kCapacity items and
    // says so when there are more. Answers length.
    int build(const TestSettings& settings, unsigned seed);
    // Only the items of build, in the settings' order; step and current stay.
    int fill(const TestSettings& settings);
    // Reads a user file and answers its length: 0 for no file or no "AGENDA"
    // (the agenda is then unchanged) or no items. The length is cut to
    // kCapacity, items naming a slot outside are skipped, and a current
    // outside the items becomes 0.
    int read(const char* path);
    // As above; when the file is there but holds no agenda (it is not XML or
    // has no "AGENDA"), problem says why, as "line 3: mismatched tag".
    int read(const char* path, std::string& problem);
    int read(XMLDoc& doc);
    // Replaces the user file with the agenda and the player's name, never
    // leaving a half-written file. 1 when written; 0 keeps an old file and
    // prints one line.
    int write(const char* path, const char* userName) const;
    void toDoc(XMLDoc& doc, const char* userName) const;
    int remaining() const { return length - started; }
    // The current / the next item's index (items[index] holds its values),
    // skipping done items; -1 when every item is done. 0 when there are no items.
    int currentItem();
    int nextItem();
    // The current item is done with this time.
    void record(int milliseconds);
    void print(const TestSettings& settings, FILE* out = stdout) const;

private:
    int selectFrom(int start);
};

// Moves a file that must not be written over to "<path>.unreadable" (or
// ".unreadable2", ... whichever is free) and answers its new name; "" when
// it could not be moved.
std::string keepFileAside(const char* path);

// The first value the settings lack for any game, as the settings file
// names it ("GRID in LOOP"); null when they give games.
const char* missingCondition(const TestSettings& settings);

// Eight characters: " 1:02:05", "    1:05", "       7".
std::string formatTime(int milliseconds);
