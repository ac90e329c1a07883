// The operations of a game that the keys, the menu and the idle callback
// share.
#pragma once

#include "Globals.h"
#include "RunningGame.h"

#include <cstdio>

// Reads the test settings and the player's agenda, or builds a new one;
// says in one line why a test series becomes a free game and what became of
// an agenda file that cannot be read.
void openTestSeries(RunningGame& game, FILE* out);

// Fills the title from the session and the board's difficulty and returns it.
const char* makeTitle(SessionSettings& s, const Sudoku& board);
void printHelp(FILE* out);
// Reads, permutes and prints the session's puzzle; a refused permutation or
// a puzzle file that cannot be played is reported, and the session then
// names what is really played (the fallback file is grid 0).
void loadPuzzle(Sudoku& board, SessionSettings& s, FILE* out);
// A fresh game of the session's puzzle: board, clock, statistics, won flag.
void newGame(RunningGame& game, FILE* out);

// Appends the game being left to the test's logs and saves the agenda.
// A turning still going on counts up to now.
void writeResults(RunningGame& game, FILE* out);

// The won message shows the time the game took: no clock key moves it.
void holdClockWhileWon(RunningGame& game, long now);

// What the window side does after an idle step.
enum IdleOutcome {
    kGameGoesOn = 0,
    kNewGameBegun = 1,  // the caller sets the window title
    kGameEnds = 2,      // the results are written: the program ends
    kNotesChanged = 3,  // automatic markup changed the board's notes
};

// The idle steps that need no window.
IdleOutcome idleStep(RunningGame& game, FILE* in, FILE* out);
