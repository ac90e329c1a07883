#include "Grader.h"
#include "PuzzleFile.h"
#include "Solver.h"

#include "../TextHelpers.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

// Reads 81 characters, '.' or '0' for an empty cell.
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

TEST(Solver, ContradictionsCountingLimitsAndGradingByTechnique) {
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

    int empty[81] = {};
    EXPECT_EQ(countSolutions(empty, 2, solution), 2);
    EXPECT_TRUE(isCompleteSolutionOf(solution, empty));
    EXPECT_EQ(countSolutions(empty, 1), 1);
    EXPECT_EQ(countSolutions(empty, 0), 0);
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

    // Singles solve one step per cell; a grid without one solution is ungradable.
    parse(kClassic, grid);
    Grade grade = gradePuzzle(grid);
    EXPECT_TRUE(grade.solved);
    EXPECT_LE(grade.hardest, NakedSingle);
    EXPECT_EQ(grade.uses[HiddenSingle] + grade.uses[NakedSingle], 51);  // one step per empty cell

    int clash[81] = {};
    clash[0] = clash[1] = 7;
    EXPECT_EQ(gradePuzzle(empty).level, NotUnique);
    EXPECT_EQ(gradePuzzle(clash).level, NotUnique);

    // Puzzles where singles get stuck, one step of the technique gets them going
    // again, and singles finish the grid.
    const struct {
        const char* puzzle;
        Technique technique;
        int level;
    } kOneStep[] = {
        {"500000000009000420000030050002008003000200900310009000007000004000086590001570800", Pointing, Medium},
        {"830000000000000000007039060003000026200500097080071000000600080000007042040100300", Claiming, Medium},
        {"008000000000010003654002000000000000007080000100500640460100500000705090000029080", NakedPair, Medium},
        {"000209146070004280000000000030540000200600005509002000020800560000000030001006700", HiddenPair, Medium},
        {"000080000000000903000306010005008002001050000298000056070504260102003008000010000", NakedTriple, Hard},
        {"074000009100060005000007040600020083000006070090008000000002000030009008007030510", XWing, Hard},
        {"000008000000602097060050034000200008090000045040085000300500000950000060200006010", XYWing, Hard},
        {"745080200080040060300000809004050007510920000070100000000060092000010300000200000", NakedQuad, Hard},
    };
    for (const auto& c : kOneStep) {
        SCOPED_TRACE(techniqueName(c.technique));
        parse(c.puzzle, grid);
        const Grade grade = gradePuzzle(grid);
        EXPECT_EQ(grade.level, c.level);
        EXPECT_TRUE(grade.solved);
        EXPECT_EQ(grade.hardest, c.technique);
        for (int t = Pointing; t < kTechniqueCount; t++)
            EXPECT_EQ(grade.uses[t], t == c.technique ? 1 : 0) << techniqueName(t);
        EXPECT_FALSE(gradePuzzle(grid, c.technique).solved);
        EXPECT_TRUE(gradePuzzle(grid, c.technique + 1).solved);
    }
}

// Steps the grader through the puzzle; false if a step ever struck a digit of the solution.
bool stepsKeepTheSolution(const int grid[81], const int solution[81]) {
    CandidateGrid g(grid);
    for (;;) {
        for (int cell = 0; cell < 81; cell++) {
            const bool kept = g.digits[cell] != 0 ? g.digits[cell] == solution[cell]
                                                  : g.hasCandidate(cell, solution[cell]);
            if (!kept) return false;
        }
        int t = 0;
        while (t < kTechniqueCount && !applyTechnique(g, Technique(t))) t++;
        if (t == kTechniqueCount) return true;
    }
}

// Every grid number the start-up prompt offers, graded as its range; g0 is
// the easy fallback that predates the collection.
TEST(PuzzleCollection, EveryShippedPuzzleIsUniqueAndGradedAsItsRange) {
    const struct {
        int first, last, level, fewestGivens, mostGivens;
    } kRanges[] = {{0, 0, Easy, 0, 81},        {1, 62, Easy, 32, 38}, {63, 121, Medium, 0, 81},
                   {122, 169, Hard, 0, 81}, {1000, 1025, Evil, 0, 28}};
    for (const auto& range : kRanges) {
        for (int number = range.first; number <= range.last; number++) {
            const std::string path = std::string(TABRELO_DATA) + "/sudoku-grids/g" + std::to_string(number) + ".txt";
            SCOPED_TRACE(path);
            Sudoku board;
            ASSERT_EQ(readPuzzle(board, path.c_str()), 1);
            EXPECT_EQ(board.difficulty, range.level);
            int grid[81], solution[81];
            gridOf(board, grid);
            EXPECT_EQ(countSolutions(grid, 2, solution), 1);
            const Grade grade = gradePuzzle(grid);
            EXPECT_EQ(grade.level, range.level) << "hardest: " << techniqueName(grade.hardest);
            EXPECT_TRUE(stepsKeepTheSolution(grid, solution));
            const int givens = 81 - board.countEmptyCells();
            EXPECT_GE(givens, range.fewestGivens);
            EXPECT_LE(givens, range.mostGivens);
        }
    }

    const std::string root = ::testing::TempDir() + "generate_puzzles_arguments";
    std::filesystem::create_directories(root);
    const auto run = [&](const std::string& arguments) {
        return std::system((std::string(TABRELO_BUILD) + "/tools/generate_puzzles " + arguments + " > " +
                            root + "/output.txt 2>&1").c_str());
    };
    EXPECT_NE(run(""), 0);
    EXPECT_NE(run("-s"), 0);
    EXPECT_NE(run("-s seven " + root), 0);
    EXPECT_NE(run("-n -3 " + root), 0);
    EXPECT_NE(run("-n 1 " + root + "/missing/folder"), 0);
    EXPECT_NE(readFile(root + "/output.txt").find("cannot write"), std::string::npos);
}

}  // namespace
