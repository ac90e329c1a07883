// Balanced orders for a test series: participant k plays the games in the
// order of row k of a Williams design, a Latin square in which every game
// follows every other game equally often.
#pragma once

#include <vector>

struct Agenda;
struct TestSettings;

// Rows of the design over n games: n when n is even, else 2n (each row
// and its reverse).
int williamsRowCount(int n);
// Row `row` (taken modulo the row count): the game at each position.
std::vector<int> williamsRow(int n, int row);
// Files in the folder that read as an agenda (config.xml aside).
int countAgendas(const char* folder);
// A new player's agenda in `folder`. With the counterbalance option the
// items are stored in the order of the next design row (one row per agenda
// already there) and played one after another; otherwise today's random
// walk from `seed`. Answers the length.
int buildAgenda(Agenda& agenda, const TestSettings& settings, const char* folder, unsigned seed);
// Puts the items in the order of design row `row` and starts at the first.
void balanceAgenda(Agenda& agenda, int row);
