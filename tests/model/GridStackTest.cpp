#include "GridStack.h"

#include <gtest/gtest.h>

namespace {

TEST(GridStack, PushChangePopRestoresEverything) {
    GridStack stack(50);
    Sudoku b;
    b.setDigit(0, 0, 5, Given);
    b.setDigit(4, 4, 2, Entered, cv::Mat(8, 8, CV_8UC3, cv::Scalar(10, 20, 30)));
    b.setNote(1, 1, 3, NoteBad);
    b.addTile(10.5f, 2.5f, 7);
    b.pickTile(10.5f, 2.5f);
    b.digitImages[3] = cv::Mat(4, 4, CV_8UC1, cv::Scalar(77));
    b.difficulty = 2;
    b.setPermutationNumber(6);
    ASSERT_EQ(stack.push(b), 1);

    // Changing the live board, its pixels included, must not reach the copy.
    b.cell(4, 4).snapshot.setTo(cv::Scalar(0, 0, 0));
    b.digitImages[3].setTo(cv::Scalar(0));
    b.clearCell(4, 4);
    b.setNote(1, 1, 3, NoteGood);
    b.setDigit(8, 8, 9, Entered);
    b.dropAllTiles();

    std::unique_ptr<Sudoku> back = stack.pop();
    ASSERT_TRUE(back);
    EXPECT_EQ(back->digitAt(4, 4), 2);
    EXPECT_EQ(back->kindAt(4, 4), Entered);
    EXPECT_EQ(back->digitAt(8, 8), 0);
    EXPECT_EQ(back->noteAt(1, 1, 3), NoteBad);
    EXPECT_EQ(back->cell(4, 5).candidates[2], 0);
    EXPECT_EQ(back->rowCounters[4].count[2], 1);
    ASSERT_EQ(back->tiles.size(), 1u);
    EXPECT_EQ(back->current()->digit, 7);
    EXPECT_EQ(back->cell(4, 4).snapshot.at<cv::Vec3b>(3, 3), cv::Vec3b(10, 20, 30));
    EXPECT_EQ(back->digitImages[3].at<unsigned char>(0, 0), 77);
    EXPECT_EQ(back->difficulty, 2);
    EXPECT_EQ(back->permutationNumber, 6);
    EXPECT_TRUE(stack.isEmpty());
}

TEST(GridStack, SetDigitAndCopyCloneImages) {
    cv::Mat picture(6, 6, CV_8UC1, cv::Scalar(9));
    Sudoku b;
    b.setDigit(0, 0, 1, Recognized, picture);
    picture.setTo(cv::Scalar(0));  // the caller reuses its working image
    EXPECT_EQ(b.cell(0, 0).snapshot.at<unsigned char>(0, 0), 9);

    Sudoku copy(b);
    b.cell(0, 0).snapshot.setTo(cv::Scalar(1));
    EXPECT_EQ(copy.cell(0, 0).snapshot.at<unsigned char>(0, 0), 9);

    cv::Mat images[10];
    images[4] = cv::Mat(3, 3, CV_8UC1, cv::Scalar(44));
    int digits[81] = {}, flags[81] = {};
    b.loadRecognizedGrid(digits, flags, nullptr, 9, 9, images);
    images[4].setTo(cv::Scalar(0));
    EXPECT_EQ(b.digitImages[4].at<unsigned char>(1, 1), 44);
}

TEST(GridStack, CapacityAndEmptyPop) {
    GridStack stack(50);
    Sudoku b;
    EXPECT_EQ(stack.pop(), nullptr);  // harmless
    for (int i = 0; i < 50; i++) ASSERT_EQ(stack.push(b), 1) << i;
    EXPECT_TRUE(stack.isFull());
    EXPECT_EQ(stack.push(b), 0);
    EXPECT_EQ(stack.count(), 50);
    for (int i = 0; i < 50; i++) ASSERT_NE(stack.pop(), nullptr);
    EXPECT_EQ(stack.pop(), nullptr);
    EXPECT_EQ(stack.count(), 0);
}

TEST(GridStack, PoppedBoardsAreGoneAndOrderIsLastInFirstOut) {
    GridStack stack(3);
    Sudoku first, second;
    first.setDigit(0, 0, 1, Given);
    second.setDigit(0, 0, 2, Given);
    stack.push(first);
    stack.push(second);
    EXPECT_EQ(stack.pop()->digitAt(0, 0), 2);
    EXPECT_EQ(stack.pop()->digitAt(0, 0), 1);
    EXPECT_EQ(stack.pop(), nullptr);
}

}  // namespace
