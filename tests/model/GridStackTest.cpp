#include "GridStack.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

namespace {

bool sameImage(const cv::Mat& a, const cv::Mat& b) {
    if (a.empty() || b.empty()) return a.empty() && b.empty();
    return a.size() == b.size() && a.type() == b.type() && cv::norm(a, b, cv::NORM_INF) == 0;
}

// Every field of two boards, compared one by one.
void expectSameBoard(const Sudoku& a, const Sudoku& b) {
    EXPECT_EQ(a.difficulty, b.difficulty);
    EXPECT_EQ(a.evaluate, b.evaluate);
    EXPECT_EQ(a.permutationNumber, b.permutationNumber);
    EXPECT_EQ(std::memcmp(a.permutationTable, b.permutationTable, sizeof a.permutationTable), 0);
    EXPECT_EQ(std::memcmp(&a.extent, &b.extent, sizeof a.extent), 0);
    for (int i = 0; i < 10; i++) EXPECT_TRUE(sameImage(a.digitImages[i], b.digitImages[i])) << i;
    ASSERT_EQ(a.cells.size(), b.cells.size());
    for (size_t i = 0; i < a.cells.size(); i++) {
        const SudokuCell &x = a.cells[i], &y = b.cells[i];
        EXPECT_EQ(x.digit, y.digit) << i;
        EXPECT_EQ(x.kind, y.kind) << i;
        EXPECT_EQ(std::memcmp(x.candidates, y.candidates, sizeof x.candidates), 0) << i;
        EXPECT_EQ(x.candidateCount, y.candidateCount) << i;
        EXPECT_EQ(x.singleCandidate, y.singleCandidate) << i;
        EXPECT_EQ(std::memcmp(x.notes, y.notes, sizeof x.notes), 0) << i;
        EXPECT_TRUE(sameImage(x.snapshot, y.snapshot)) << i;
    }
    for (int i = 0; i < 9; i++) {
        EXPECT_EQ(std::memcmp(&a.rowCounters[i], &b.rowCounters[i], sizeof(DigitCounter)), 0);
        EXPECT_EQ(std::memcmp(&a.columnCounters[i], &b.columnCounters[i], sizeof(DigitCounter)), 0);
        EXPECT_EQ(std::memcmp(&a.boxCounters[i], &b.boxCounters[i], sizeof(DigitCounter)), 0);
    }
    ASSERT_EQ(a.tiles.size(), b.tiles.size());
    for (size_t i = 0; i < a.tiles.size(); i++) {
        EXPECT_EQ(a.tiles[i].x, b.tiles[i].x);
        EXPECT_EQ(a.tiles[i].y, b.tiles[i].y);
        EXPECT_EQ(a.tiles[i].digit, b.tiles[i].digit);
        EXPECT_EQ(a.tiles[i].angle, b.tiles[i].angle);
    }
    EXPECT_EQ(a.currentTile, b.currentTile);
}

// The same board every time it is called, with no field left at its start value.
Sudoku busyBoard() {
    Sudoku b;
    b.setDigit(0, 0, 5, Given);
    b.setDigit(2, 7, 3, Recognized, cv::Mat(8, 8, CV_8UC1, cv::Scalar(33)));
    b.setDigit(6, 1, 8, RecognizedUnflagged);
    b.setDigit(4, 4, 2, Entered, cv::Mat(8, 8, CV_8UC3, cv::Scalar(10, 20, 30)));
    b.setDigit(4, 6, 2, Entered);  // a conflict
    b.setNote(1, 1, 3, NoteBad);
    b.markUpDigit(7);
    b.addTile(10.5f, 2.5f, 7);
    std::vector<Tile> seen(2);
    seen[1].angle = 30;
    seen[1].digit = 9;
    b.replaceTiles(seen);
    b.addTile(-1.5f, 4.0f, 1);
    b.pickTile(-1.5f, 4.0f);
    b.digitImages[3] = cv::Mat(4, 4, CV_8UC1, cv::Scalar(77));
    b.difficulty = 2;
    b.setPermutationNumber(6);
    b.setEvaluate(0);
    b.extent.xmin = -3.0f;
    return b;
}

TEST(GridStack, APoppedBoardEqualsThePushedOneInEveryField) {
    GridStack stack(50);
    Sudoku live = busyBoard();
    ASSERT_EQ(stack.push(live), 1);

    live.cell(4, 4).snapshot.setTo(cv::Scalar(0, 0, 0));
    live.cell(2, 7).snapshot.setTo(cv::Scalar(0));
    live.digitImages[3].setTo(cv::Scalar(0));
    live.clearCell(4, 6);
    live.setDigit(8, 8, 9, Entered);
    live.clearAllNotes();
    live.moveCurrentTile(5, 5);
    live.dropCurrentTile();
    live.difficulty = 4;
    live.setPermutationNumber(1);
    live.setEvaluate(1);
    live.extent.ymax = 20.0f;

    std::unique_ptr<Sudoku> back = stack.pop();
    ASSERT_TRUE(back);
    expectSameBoard(*back, busyBoard());
}

TEST(GridStack, FullAndEmptyStacks) {
    GridStack stack(2);
    Sudoku b;
    EXPECT_EQ(stack.pop(), nullptr);
    EXPECT_EQ(stack.push(b) + stack.push(b) + stack.push(b), 2);
    EXPECT_NE(stack.pop(), nullptr);
    EXPECT_NE(stack.pop(), nullptr);
    EXPECT_EQ(stack.pop(), nullptr);
}

}  // namespace
