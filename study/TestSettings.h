// The settings of a test series, read from "Tests/<test>/config.xml": the
// starting state of the feature switches, which of them the player may
// change, and the values the series loops over.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

struct SessionSettings;
class Sudoku;
struct XMLDoc;

// A list of values with a fixed capacity; the switch blocks also carry the
// player's right to change the switch.
struct SettingValues {
    int capacity;
    std::vector<int> values;
    int modifiable = 1;

    explicit SettingValues(int capacity) : capacity(capacity) {}
    int count() const { return (int)values.size(); }
    int at(int index) const;       // -1 for an index outside the list
    int indexOf(int value) const;  // -1 when absent
    int add(int value);            // 0, and nothing added, when full
    void clear() { values.clear(); }
    // The menu lets the player change a switch with no value or with the flag set.
    bool isModifiable() const { return values.empty() || modifiable; }
};

struct TestSettings {
    SettingValues puzzles{100};
    SettingValues permutations{13};
    SettingValues AR{2}, colored{2}, in3D{2}, repulsive{2}, attractive{2}, overviews{2},
        markup{2}, evaluate{2}, automaticMarkup{2}, semiautomaticMarkup{2}, gridStructure{2};
    // <COUNTERBALANCE val="1"/>: new players get balanced orders, not the random walk.
    int counterbalance = 0;

    // Reads the file: its switch values go to the session's switches and the
    // board's evaluation flag, its lists and flags into this record. 1 when
    // the file was parsed, 0 (nothing changed, no message) otherwise.
    int read(const char* path, SessionSettings& session, Sudoku& board);
    // As above; on 0, problem says why ("line 4: not well-formed (invalid token)").
    int read(const char* path, SessionSettings& session, Sudoku& board, std::string& problem);
    int read(XMLDoc& doc, SessionSettings& session, Sudoku& board);
    // The console printout of the lists and switch blocks.
    void print(FILE* out = stdout) const;
};

// Numbers and switches in the study files: a leading decimal integer (0 when
// there is none, clamped to the int range); true when the text begins with
// "T", "t" or "1".
int leadingInt(const char* text);
bool isTrue(const char* text);
