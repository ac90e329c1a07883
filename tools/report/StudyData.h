// What a test folder holds about its series, gathered for the report: the
// participants with their agendas, and one row per finished game from the
// event logs or, for players without one, from "log.txt".
#pragma once

#include <string>
#include <vector>

// The condition switches a game row carries, in column order.
extern const char* const kSwitchNames[9];

struct GameRow {
    std::string player;
    int game = 0;  // the player's count of games
    int grid = 0;
    int difficulty = -1;  // 0 unknown .. 4 evil; -1 not recorded
    int permutation = 0;
    int switches[9] = {-1, -1, -1, -1, -1, -1, -1, -1, -1};  // -1 not recorded
    long solvingMs = 0;  // at the win, or when the game was left unsolved
    long turningMs = 0;
    int turns = 0;
    int moves = -1, removals = -1, errors = -1;  // -1 without an event log
    int won = 0;
};

struct Participant {
    std::string name;
    int agendaLength = 0;  // 0: no agenda (free games)
    int agendaDone = 0;
};

struct StudyData {
    std::string test;
    std::vector<Participant> participants;
    std::vector<GameRow> games;  // by participant, then game
};

StudyData readStudy(const std::string& folder);
// "games.csv": a header and one row per game.
std::string gamesCsv(const StudyData& data);
const char* difficultyName(int difficulty);
