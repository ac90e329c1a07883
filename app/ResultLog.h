// The per-test result tables: "log.txt" gets a line for every game the player
// leaves, "finishedgames.txt" one for every game left with a full board.
#pragma once

#include <cstdio>
#include <ctime>
#include <string>

struct GameResult {
    int gridNumber = 0;
    int difficulty = 0;
    int permutation = 0;
    int gameMilliseconds = 0;
    int turningMilliseconds = 0;
    int turningCount = 0;
    int emptyCells = 0;
    int conflicts = 0;
    int colored = 0, in3D = 0, overviews = 0, repulsive = 0, attractive = 0, markup = 0,
        automaticMarkup = 0;
    int rememberCount = 0;
    int arMode = 0;
    std::string userName;
    std::time_t clockStarted = 0;  // calendar time the game clock was last started
};

// One line of "log.txt" (withBoardState) or of "finishedgames.txt", line break included.
std::string formatResultLine(const GameResult& result, bool withBoardState);
// Appends the log line, and the finished-games line when no cell is empty,
// to the files in the test folder; says "cannot open file %s\n" on out for a
// file that cannot be opened.
void appendResults(const char* testFolder, const GameResult& result, FILE* out);
// 1 when files can be made in the folder; else says so on out in one line.
int checkResultsFolder(const char* folder, FILE* out);
