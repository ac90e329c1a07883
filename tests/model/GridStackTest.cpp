#include "GridStack.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

namespace {

// The same board every time, with no field left at its start value.
Sudoku busyBoard() {
    Sudoku b;
    b.setDigit(0, 0, 5, Given);
    b.setDigit(2, 7, 3, Recognized, cv::Mat(8, 8, CV_8UC1, cv::Scalar(33)));
    b.setDigit(4, 4, 2, Entered);
    b.setDigit(4, 6, 2, Entered);  // a conflict
    b.setNote(1, 1, 3, NoteBad);
    b.addTile(10.5f, 2.5f, 7);
    b.addTile(-1.5f, 4.0f, 1);
    b.pickTile(-1.5f, 4.0f);
    b.digitImages[3] = cv::Mat(4, 4, CV_8UC1, cv::Scalar(77));
    b.difficulty = 2;
    return b;
}

// Changing the live board after a push, images in place too, leaves the
// pushed board as it was.
TEST(GridStack, APoppedBoardEqualsThePushedOne) {
    GridStack stack(50);
    Sudoku live = busyBoard();
    ASSERT_EQ(stack.push(live), 1);
    live.cell(2, 7).snapshot.setTo(cv::Scalar(0));
    live.digitImages[3].setTo(cv::Scalar(0));
    live.clearCell(4, 6);
    live.setDigit(8, 8, 9, Entered);
    live.clearAllNotes();
    live.moveCurrentTile(5, 5);
    live.difficulty = 4;

    std::unique_ptr<Sudoku> back = stack.pop();
    ASSERT_TRUE(back);
    const Sudoku a = busyBoard();
    for (size_t i = 0; i < a.cells.size(); i++) {
        EXPECT_EQ(back->cells[i].digit, a.cells[i].digit) << i;
        EXPECT_EQ(back->cells[i].kind, a.cells[i].kind) << i;
        EXPECT_EQ(std::memcmp(back->cells[i].notes, a.cells[i].notes, sizeof a.cells[i].notes), 0) << i;
        EXPECT_EQ(std::memcmp(back->cells[i].candidates, a.cells[i].candidates, sizeof a.cells[i].candidates), 0);
    }
    EXPECT_EQ(back->cell(2, 7).snapshot.at<unsigned char>(1, 1), 33);
    EXPECT_EQ(back->digitImages[3].at<unsigned char>(1, 1), 77);
    EXPECT_EQ(back->countConflicts(), 2);
    EXPECT_EQ(back->rowCounters[4].count[2], 2);
    ASSERT_EQ(back->tiles.size(), 2u);
    EXPECT_EQ(back->current()->x, -1.5f);
    EXPECT_EQ(back->difficulty, 2);
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
