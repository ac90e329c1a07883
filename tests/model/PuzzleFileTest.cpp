#include "PuzzleFile.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <set>
#include <string>

namespace {

class PuzzleFile : public ::testing::Test {
protected:
    // One file per process: ctest runs the cases of this suite side by side.
    std::string path =
        std::string(::testing::TempDir()) + "puzzle_test_" + std::to_string(getpid()) + ".txt";
    Sudoku b;
    int read(const std::string& text) {
        std::ofstream(path, std::ios::binary) << text;
        return readPuzzle(b, path.c_str());
    }
    void TearDown() override { std::remove(path.c_str()); }
};

TEST_F(PuzzleFile, MissingFileOrAFolderLeavesTheBoardAlone) {
    b.setDigit(3, 3, 8, Entered);
    EXPECT_EQ(readPuzzle(b, "/nonexistent/g99.txt"), 0);
    EXPECT_EQ(readPuzzle(b, ::testing::TempDir().c_str()), 0);
    EXPECT_EQ(b.kindAt(3, 3), Entered);
}

TEST_F(PuzzleFile, OversizedHeaderReadsAllTokensButOnlySetsTheBoard) {
    std::string text = "10 10\n";
    for (int i = 0; i < 100; i++) text += std::to_string(i % 9 + 1) + " ";
    ASSERT_EQ(read(text + "difficulty : hard\n"), 1);
    EXPECT_EQ(b.digitAt(0, 0), 1);
    EXPECT_EQ(b.digitAt(1, 0), 2);  // row 1 starts at token 10
    EXPECT_EQ(b.difficulty, 3);    // found after all 100 tokens
}

// Bad files end reading cleanly with the cells read so far, in bounded time;
// numbers beyond int give no header (the sanitizer build also checks that no
// cell count is made from them).
TEST_F(PuzzleFile, BadInputEndsReadingCleanly) {
    const struct {
        const char* text;
        int emptyCells;
    } kCases[] = {{"9 9\n1 2 3 x 5 6 7 8 9\n", 78},  // a word among the digits
                  {"", 81},  // an empty file: an empty board
                  {"9 9\n1 2 3\n", 78},
                  {"99999999999 99999999999 1 2 3", 81},
                  {"9 9223372036854775807 1 2 3", 81},
                  {"-9223372036854775808 9 1 2 3", 81},
                  {"2000000000 2000000000 4 5 6\n", 78}};
    for (const auto& c : kCases) {
        ASSERT_EQ(read(c.text), 1);
        EXPECT_EQ(b.countEmptyCells(), c.emptyCells) << c.text;
    }
    EXPECT_EQ(b.digitAt(0, 2), 6);
    // Endless rows of no cells: the word after them is the difficulty word.
    for (const char* header : {"2147483647 0", "2147483647 -2147483647", "0 2147483647"}) {
        b.difficulty = 0;
        ASSERT_EQ(read(std::string(header) + "\ndifficulty : medium 1 2 3\n"), 1);
        EXPECT_EQ(b.difficulty, 2) << header;
        EXPECT_EQ(b.countEmptyCells(), 81);
    }
    std::string binary;
    for (int i = 0; i < 4096; i++) binary += (char)((i * 151 + 7) % 256);
    ASSERT_EQ(read(binary), 1);
    for (const SudokuCell& cl : b.cells) EXPECT_TRUE(cl.digit >= 0 && cl.digit <= 9);
}

TEST_F(PuzzleFile, EveryPermutationOfASolvedGridIsSolved) {
    const std::string solved =
        "9 9\n5 3 4 6 7 8 9 1 2\n6 7 2 1 9 5 3 4 8\n1 9 8 3 4 2 5 6 7\n8 5 9 7 6 1 4 2 3\n"
        "4 2 6 8 5 3 7 9 1\n7 1 3 9 2 4 8 5 6\n9 6 1 5 3 7 2 8 4\n2 8 7 4 1 9 6 3 5\n3 4 5 2 8 6 1 7 9\n";
    std::set<std::string> boards;
    for (int p = 0; p < Sudoku::kPermutationCount; p++) {
        b = Sudoku();
        ASSERT_EQ(read(solved), 1);
        ASSERT_EQ(b.setPermutationNumber(p), 1);
        permute(b);
        for (int i = 0; i < 9; i++) {
            std::set<int> row, column, box;
            for (int k = 0; k < 9; k++) {
                row.insert(b.digitAt(i, k));
                column.insert(b.digitAt(k, i));
                box.insert(b.digitAt(3 * (i / 3) + k / 3, 3 * (i % 3) + k % 3));
            }
            EXPECT_TRUE(row.size() == 9 && column.size() == 9 && box.size() == 9 && !row.count(0))
                << "permutation " << p << " unit " << i;
        }
        std::string digits;
        for (const SudokuCell& cl : b.cells) digits += char('0' + cl.digit);
        boards.insert(digits);
    }
    EXPECT_EQ(boards.size(), (size_t)Sudoku::kPermutationCount);  // no two alike
    for (int bad : {Sudoku::kPermutationCount, -1, 1000000}) EXPECT_EQ(b.setPermutationNumber(bad), 0);
    EXPECT_EQ(b.permutationNumber, Sudoku::kPermutationCount - 1);
    EXPECT_EQ(b.permutationRow(Sudoku::kPermutationCount), nullptr);
}

}  // namespace
