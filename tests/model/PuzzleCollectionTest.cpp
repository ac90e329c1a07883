#include "Grader.h"
#include "PuzzleFile.h"
#include "Solver.h"

#include "../TextHelpers.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Shipped {
    int number;
    int level;
};

// Every grid number the start-up prompt offers, with the level of its range; g0 is the easy fallback.
std::vector<Shipped> shippedNumbers() {
    std::vector<Shipped> numbers = {{0, Easy}};
    for (int n = 1; n <= 62; n++) numbers.push_back({n, Easy});
    for (int n = 63; n <= 121; n++) numbers.push_back({n, Medium});
    for (int n = 122; n <= 169; n++) numbers.push_back({n, Hard});
    for (int n = 1000; n <= 1025; n++) numbers.push_back({n, Evil});
    return numbers;
}

std::string puzzlePath(const std::string& folder, int number) {
    return folder + "/g" + std::to_string(number) + ".txt";
}

int givens(const int grid[81]) {
    int n = 0;
    for (int i = 0; i < 81; i++) n += grid[i] != 0;
    return n;
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

TEST(PuzzleCollection, EveryShippedPuzzleIsUniqueAndGradedAsItsRange) {
    const std::string folder = std::string(TABRELO_DATA) + "/sudoku-grids";
    for (const Shipped& s : shippedNumbers()) {
        const std::string path = puzzlePath(folder, s.number);
        SCOPED_TRACE(path);
        Sudoku board;
        ASSERT_EQ(readPuzzle(board, path.c_str()), 1);
        EXPECT_EQ(board.difficulty, s.level);
        int grid[81], solution[81];
        gridOf(board, grid);
        EXPECT_EQ(countSolutions(grid, 2, solution), 1);
        const Grade grade = gradePuzzle(grid);
        EXPECT_EQ(grade.level, s.level) << "hardest: " << techniqueName(grade.hardest);
        EXPECT_TRUE(stepsKeepTheSolution(grid, solution));
        if (s.level == Easy && s.number != 0) {  // the fallback predates the collection
            EXPECT_GE(givens(grid), 32);
            EXPECT_LE(givens(grid), 38);
        }
        if (s.level == Evil) {
            EXPECT_LE(givens(grid), 28);
        }
    }
}

class Generator : public ::testing::Test {
protected:
    // One folder per test: ctest runs the tests side by side.
    fs::path root = fs::path(::testing::TempDir()) /
                    (std::string("generate_puzzles_") +
                     ::testing::UnitTest::GetInstance()->current_test_info()->name());
    void SetUp() override {
        fs::remove_all(root);
        fs::create_directories(root);
    }
    void TearDown() override { fs::remove_all(root); }

    int run(const std::string& arguments) {
        const std::string command = std::string(TABRELO_BUILD) + "/tools/generate_puzzles " + arguments +
                                    " > " + (root / "output.txt").string() + " 2>&1";
        return std::system(command.c_str());
    }
};

TEST_F(Generator, RefusesBadArgumentsAndReportsAFolderItCannotWrite) {
    EXPECT_NE(run(""), 0);
    EXPECT_NE(run("-s"), 0);
    EXPECT_NE(run("-s seven " + root.string()), 0);
    EXPECT_NE(run("-n -3 " + root.string()), 0);
    EXPECT_NE(run("-n 1 " + (root / "missing" / "folder").string()), 0);
    EXPECT_NE(readFile((root / "output.txt").string()).find("cannot write"), std::string::npos);
}

}  // namespace
