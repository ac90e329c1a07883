// A fast exact solver for 9 x 9 puzzles: candidate bitmasks, naked and hidden
// singles as propagation, then guessing on the cell with fewest candidates.
// Grids are 81 digits row by row, 0 for an empty cell.
#pragma once

#include "Sudoku.h"

// Candidate sets are bitmasks with bit d for digit d.
constexpr unsigned kAllDigitBits = 0x3FE;  // bits 1..9

// The 27 units (rows 0..8, columns 9..17, boxes 18..26) and every cell's peers.
struct GridUnits {
    int cells[27][9];
    int unitsOf[81][3];  // its row, column and box unit
    int peers[81][20];
    GridUnits();
};
const GridUnits& gridUnits();

// Number of solutions, counting stops at limit. A grid whose givens already
// clash, or that holds a digit outside 0..9, has none. When solution is given
// and at least one solution exists, it receives the first one found.
int countSolutions(const int grid[81], int limit, int solution[81] = nullptr);

// The board's 81 digits (whatever their kind) in grid order.
void gridOf(const Sudoku& board, int grid[81]);
