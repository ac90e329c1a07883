#include "PuzzleFile.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <set>
#include <string>

namespace {

const char* const kSolved =
    "9 9\n"
    "5 3 4 6 7 8 9 1 2\n6 7 2 1 9 5 3 4 8\n1 9 8 3 4 2 5 6 7\n"
    "8 5 9 7 6 1 4 2 3\n4 2 6 8 5 3 7 9 1\n7 1 3 9 2 4 8 5 6\n"
    "9 6 1 5 3 7 2 8 4\n2 8 7 4 1 9 6 3 5\n3 4 5 2 8 6 1 7 9\n";

class PuzzleFile : public ::testing::Test {
protected:
    // One file per process: ctest runs the cases of this suite side by side.
    std::string path =
        std::string(::testing::TempDir()) + "puzzle_test_" + std::to_string(getpid()) + ".txt";
    void write(const std::string& text) {
        std::ofstream(path, std::ios::binary) << text;
    }
    void TearDown() override { std::remove(path.c_str()); }
};

bool isValidSolution(const Sudoku& b) {
    for (int i = 0; i < 9; i++) {
        std::set<int> row, column, box;
        for (int k = 0; k < 9; k++) {
            row.insert(b.digitAt(i, k));
            column.insert(b.digitAt(k, i));
            box.insert(b.digitAt(3 * (i / 3) + k / 3, 3 * (i % 3) + k % 3));
        }
        const std::set<int> all = {1, 2, 3, 4, 5, 6, 7, 8, 9};
        if (row != all || column != all || box != all) return false;
    }
    return true;
}

TEST_F(PuzzleFile, MissingFileLeavesTheBoardAlone) {
    Sudoku b;
    b.setDigit(0, 0, 1, Entered);
    EXPECT_EQ(readPuzzle(b, "/nonexistent/g99.txt"), 0);
    EXPECT_EQ(b.digitAt(0, 0), 1);
}

TEST_F(PuzzleFile, AFolderIsNoPuzzleFile) {
    Sudoku b;
    b.setDigit(3, 3, 8, Entered);
    EXPECT_EQ(readPuzzle(b, ::testing::TempDir().c_str()), 0);
    EXPECT_EQ(b.digitAt(3, 3), 8);
    EXPECT_EQ(b.kindAt(3, 3), Entered);

    write("");  // an empty file is read: an empty board
    EXPECT_EQ(readPuzzle(b, path.c_str()), 1);
    EXPECT_EQ(b.countEmptyCells(), 81);
}

TEST_F(PuzzleFile, OversizedHeaderReadsAllTokensButOnlySetsTheBoard) {
    std::string text = "10 10\n";
    for (int i = 0; i < 100; i++) text += std::to_string(i % 9 + 1) + " ";
    text += "difficulty : hard\n";
    write(text);
    Sudoku b;
    ASSERT_EQ(readPuzzle(b, path.c_str()), 1);
    EXPECT_EQ(b.digitAt(0, 0), 1);
    EXPECT_EQ(b.digitAt(1, 0), 2);  // row 1 starts at token 10
    EXPECT_EQ(b.difficulty, 3);    // found after all 100 tokens
}

TEST_F(PuzzleFile, BadInputEndsReadingCleanly) {
    Sudoku b;
    // A word among the digits: the cells after it stay empty.
    write("9 9\n1 2 3 x 5 6 7 8 9\n");
    ASSERT_EQ(readPuzzle(b, path.c_str()), 1);
    EXPECT_EQ(b.digitAt(0, 2), 3);
    EXPECT_EQ(b.digitAt(0, 4), 0);
    EXPECT_EQ(b.countEmptyCells(), 78);

    write("9 9\n1 2 3\n");  // truncated
    ASSERT_EQ(readPuzzle(b, path.c_str()), 1);
    EXPECT_EQ(b.countEmptyCells(), 78);

    std::string binary;
    for (int i = 0; i < 4096; i++) binary += (char)((i * 151 + 7) % 256);
    write(binary);
    ASSERT_EQ(readPuzzle(b, path.c_str()), 1);
    for (const SudokuCell& cl : b.cells) {
        EXPECT_GE(cl.digit, 0);
        EXPECT_LE(cl.digit, 9);
    }

    // Numbers beyond int: no header, so no cells; the sanitizer build also
    // checks that no cell count is made from them (9 times LONG_MAX overflows).
    for (const char* header : {"99999999999 99999999999", "9 9223372036854775807",
                               "9223372036854775807 9223372036854775807",
                               "-9223372036854775808 9"}) {
        write(std::string(header) + " 1 2 3");
        ASSERT_EQ(readPuzzle(b, path.c_str()), 1);
        EXPECT_EQ(b.countEmptyCells(), 81) << header;
    }

    // A header claiming a huge grid ends with the file, in bounded time.
    write("2000000000 2000000000 4 5 6\n");
    ASSERT_EQ(readPuzzle(b, path.c_str()), 1);
    EXPECT_EQ(b.digitAt(0, 0), 4);
    EXPECT_EQ(b.digitAt(0, 2), 6);
    EXPECT_EQ(b.countEmptyCells(), 78);

    // So does a header of endless rows of no cells; the word after it is the difficulty word.
    for (const char* header : {"2147483647 0", "2147483647 -2147483647", "0 2147483647"}) {
        SCOPED_TRACE(header);
        b.difficulty = 0;
        write(std::string(header) + "\ndifficulty : medium 1 2 3\n");
        ASSERT_EQ(readPuzzle(b, path.c_str()), 1);
        EXPECT_EQ(b.difficulty, 2);
        EXPECT_EQ(b.countEmptyCells(), 81);
    }
}

TEST(Permutation, OutOfRangeNumberIsRefused) {
    Sudoku b;
    EXPECT_EQ(b.setPermutationNumber(4), 1);
    EXPECT_EQ(b.setPermutationNumber(13), 0);
    EXPECT_EQ(b.setPermutationNumber(-1), 0);
    EXPECT_EQ(b.setPermutationNumber(1000000), 0);
    EXPECT_EQ(b.permutationNumber, 4);
    EXPECT_EQ(b.permutationRow(13), nullptr);
    ASSERT_NE(b.permutationRow(12), nullptr);
    EXPECT_EQ(b.permutationRow(12)[0], 7);
}

TEST_F(PuzzleFile, EveryPermutationOfASolvedGridIsSolved) {
    write(kSolved);
    for (int p = 0; p < Sudoku::kPermutationCount; p++) {
        Sudoku b;
        ASSERT_EQ(readPuzzle(b, path.c_str()), 1);
        ASSERT_EQ(b.setPermutationNumber(p), 1);
        permute(b);
        EXPECT_TRUE(isValidSolution(b)) << "permutation " << p;
        EXPECT_EQ(b.countConflicts(), 0);
        // Every row of the table is a permutation of 0..8 keeping bands together.
        std::set<int> seen(b.permutationRow(p), b.permutationRow(p) + 9);
        EXPECT_EQ(seen.size(), 9u);
        for (int k = 0; k < 9; k += 3)
            for (int j = 1; j < 3; j++)
                EXPECT_EQ(b.permutationRow(p)[k + j] / 3, b.permutationRow(p)[k] / 3);
    }
}

}  // namespace
