#include "PuzzleFile.h"
#include "Solver.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Reads 81 characters, '.' for an empty cell.
void parse(const std::string& text, int grid[81]) {
    ASSERT_EQ(text.size(), 81u);
    for (int i = 0; i < 81; i++) grid[i] = text[i] == '.' ? 0 : text[i] - '0';
}

bool isCompleteSolutionOf(const int solution[81], const int givens[81]) {
    for (int i = 0; i < 81; i++)
        if (solution[i] < 1 || solution[i] > 9 || (givens[i] != 0 && givens[i] != solution[i])) return false;
    for (const auto& unit : gridUnits().cells) {
        unsigned seen = 0;
        for (int cell : unit) seen |= 1u << solution[cell];
        if (seen != kAllDigitBits) return false;
    }
    return true;
}

const char* const kClassic =
    "53..7....6..195....98....6.8...6...34..8.3..17...2...6.6....28....419..5....8..79";
const char* const kClassicSolution =
    "534678912672195348198342567859761423426853791713924856961537284287419635345286179";

TEST(Solver, ContradictoryGridsHaveNoSolution) {
    // A second 5 in the top row; a 1 where the only solution has 4; no digits.
    for (const auto& change : {std::make_pair(2, 5), std::make_pair(2, 1), std::make_pair(40, 10),
                               std::make_pair(40, -1)}) {
        int grid[81];
        parse(kClassic, grid);
        grid[change.first] = change.second;
        EXPECT_EQ(countSolutions(grid, 2), 0) << change.first << "=" << change.second;
    }
    // No clash among the givens, yet the top-left cell has no digit left.
    int grid[81], solution[81] = {};
    parse(".12345678" + std::string(45, '.') + "9" + std::string(26, '.'), grid);
    EXPECT_EQ(countSolutions(grid, 2, solution), 0);
    EXPECT_EQ(solution[0], 0);  // untouched when there is nothing to report
}

TEST(Solver, CountingStopsAtTheLimit) {
    int empty[81] = {}, solution[81] = {};
    EXPECT_EQ(countSolutions(empty, 2, solution), 2);
    EXPECT_TRUE(isCompleteSolutionOf(solution, empty));
    EXPECT_EQ(countSolutions(empty, 1), 1);
    EXPECT_EQ(countSolutions(empty, 0), 0);
    int grid[81];
    parse(kClassic, grid);
    grid[0] = grid[1] = grid[4] = 0;
    EXPECT_EQ(countSolutions(grid, 2, solution), 2);
    EXPECT_TRUE(isCompleteSolutionOf(solution, grid));
    // Without the rectangle (0,3)=6 (0,4)=7 (3,3)=7 (3,4)=6 swapping 6 and 7
    // keeps every unit whole: exactly two solutions.
    parse(kClassicSolution, grid);
    for (int cell : {3, 4, 30, 31}) grid[cell] = 0;
    EXPECT_EQ(countSolutions(grid, 5), 2);
    EXPECT_EQ(countSolutions(grid, 1), 1);
}

}  // namespace
