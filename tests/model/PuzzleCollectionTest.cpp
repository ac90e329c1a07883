#include "Grader.h"
#include "PuzzleFile.h"
#include "Solver.h"

#include "../TextHelpers.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

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
}

TEST(PuzzleGenerator, RefusesBadArgumentsAndReportsAFolderItCannotWrite) {
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
