// Puzzle files ("sudoku-grids/g%d.txt"), the 13 permutations and the
// difficulty texts shown in the window title.
#pragma once

#include "Sudoku.h"

#include <string>

extern const char* const kFallbackPuzzlePath;  // "sudoku-grids/g0.txt"

// 1 when the file was opened and read, 0 when it cannot be opened or read
// (board unchanged). A file read that does not fill the board (no row and
// column count, too small a count, or fewer cell numbers than they promise)
// gets a reason in problem, else problem is emptied.
int readPuzzle(Sudoku& board, const char* path, std::string* problem = nullptr);
// Applies the board's permutation number to rows, columns and digits at once.
void permute(Sudoku& board);
// Five characters, "*    " .. "**** "; nothing is written for a difficulty outside 0..4.
void difficultyStars(int difficulty, char* buffer, int size);
void difficultyStars(int difficulty, FILE* out);
