// The player's event log "<player>-events.csv" beside the test's logs: one
// row per action with its time since the session began, for analysing and
// replaying a session. Each row goes out in one write and is on disk before
// the program goes on, so a crash loses no row already written and leaves
// no half row.
#pragma once

#include "RunningGame.h"
#include "Sudoku.h"

#include <cstdio>
#include <string>

extern const char* const kEventLogHeader;

struct EventRow {
    long timeMs = 0;
    std::string player, test;
    int game = 0, grid = 0, permutation = 0;
    std::string event;
    int row = -1, column = -1, digit = -1;  // below 0: left empty
    std::string detail;
};

// One line of the log, line break included.
std::string formatEventRow(const EventRow& row);

// Opens the session's log (with its header when new), takes now as the
// start of its times and writes "session_start". Games go on counting from
// the rows already there. A log that cannot be opened (but for a missing
// folder) says "cannot open file %s\n" once; the game then runs without it.
void startEventLog(FILE* out);
// A row of the running game: player, test, game, grid and permutation come
// from the session.
void logEvent(const char* event, int row = -1, int column = -1, int digit = -1,
              const std::string& detail = "");
// "digit_entered"; a digit that clashes is marked as a conflict in the detail.
void logDigitEntered(const Sudoku& board, int row, int column, int digit, std::string how);
// Counts a new game and writes "game_start" with its switches and difficulty.
void logGameStart();
// "next_game" or "quit": the clock, turning and board state as the logs get them.
void logGameLeft(const RunningGame& game, const char* event);
// "clock_ms=<the game clock's elapsed milliseconds>".
std::string clockDetail(const RunningGame& game);
