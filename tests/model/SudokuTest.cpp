#include "Sudoku.h"

#include <gtest/gtest.h>

#include <random>
#include <set>

namespace {

// Brute-force candidates, digit counters and empty/kind agreement.
void expectInvariants(const Sudoku& b) {
    for (int r = 0; r < 9; r++) {
        for (int c = 0; c < 9; c++) {
            const SudokuCell& cl = b.cell(r, c);
            ASSERT_EQ(cl.digit == 0, cl.kind == Empty) << r << "," << c;
            if (cl.digit != 0) continue;
            std::set<int> absent = {1, 2, 3, 4, 5, 6, 7, 8, 9}, cand;
            for (int k = 0; k < 9; k++) {
                absent.erase(b.digitAt(r, k));
                absent.erase(b.digitAt(k, c));
                absent.erase(b.digitAt(3 * (r / 3) + k / 3, 3 * (c / 3) + k % 3));
            }
            for (int d = 1; d <= 9; d++)
                if (cl.candidates[d]) cand.insert(d);
            ASSERT_EQ(cand, absent) << r << "," << c;
            ASSERT_EQ(cl.candidateCount, (int)cand.size());
            ASSERT_TRUE(cand.size() != 1 || cl.singleCandidate == *cand.begin()) << r << "," << c;
        }
    }
    for (int i = 0; i < 9; i++) {
        for (int d = 1; d <= 9; d++) {
            int inRow = 0, inColumn = 0, inBox = 0;
            for (int k = 0; k < 9; k++) {
                inRow += b.digitAt(i, k) == d;
                inColumn += b.digitAt(k, i) == d;
                inBox += b.digitAt(3 * (i / 3) + k / 3, 3 * (i % 3) + k % 3) == d;
            }
            ASSERT_EQ(b.rowCounters[i].count[d], inRow) << "row " << i << " digit " << d;
            ASSERT_EQ(b.columnCounters[i].count[d], inColumn) << "column " << i;
            ASSERT_EQ(b.boxCounters[i].count[d], inBox) << "box " << i;
        }
    }
}

// Random placing, clearing and recognised grids, places and digits in and
// out of range, with every invariant checked after each step.
TEST(Board, InvariantsHoldUnderRandomPlay) {
    std::mt19937 rng(20261206);
    Sudoku b;
    for (int step = 0; step < 4000; step++) {
        const int op = rng() % 10;
        const int r = rng() % 11 - 1, c = rng() % 11 - 1, d = rng() % 11 - 1;
        const bool onBoard = r >= 0 && r < 9 && c >= 0 && c < 9;
        if (op < 5) {
            const int kind = rng() % 6 - 1;  // Entered..RecognizedUnflagged and three bad kinds
            const bool placed = onBoard && d >= 1 && d <= 9 && kind >= Entered &&
                                kind <= RecognizedUnflagged && b.digitAt(r, c) == 0;
            const int before = b.digitAt(r, c);
            ASSERT_EQ(b.setDigit(r, c, d, kind), placed ? 1 : 0) << "step " << step;
            ASSERT_EQ(b.digitAt(r, c), placed ? d : before);
            ASSERT_TRUE(!placed || b.kindAt(r, c) == kind);
        } else if (op < 8) {
            const bool cleared = onBoard && b.kindAt(r, c) == Entered;
            ASSERT_EQ(b.clearCell(r, c), cleared ? 1 : 0) << "step " << step;
            ASSERT_TRUE(!onBoard || (b.digitAt(r, c) == 0) == (cleared || b.kindAt(r, c) == Empty));
        } else {
            int digits[81], flags[81];
            for (int i = 0; i < 81; i++) {
                digits[i] = rng() % 6 == 0 ? (int)(rng() % 11) - 1 : 0;
                flags[i] = rng() % 2;
            }
            if (op == 8)
                b.mergeRecognizedDigits(digits, flags, nullptr, 9, 9, nullptr);
            else
                b.loadRecognizedGrid(digits, flags, nullptr, 9, 9, nullptr);
        }
        expectInvariants(b);
        if (HasFatalFailure()) FAIL() << "after step " << step;
    }
}

TEST(Board, OutOfRangeQueriesAndNotes) {
    Sudoku b;
    EXPECT_EQ(b.digitAt(9, 0), -1);
    EXPECT_EQ(b.boxOf(0, 9), -1);
    EXPECT_EQ(b.setNote(-1, 0, 3, NoteGood), 0);
    EXPECT_EQ(b.setNote(0, 9, 3, NoteBad), 0);
    EXPECT_EQ(b.setNote(0, 0, 10, NoteBad), 0);
    EXPECT_EQ(b.noteAt(9, 9, 3), 0);
    EXPECT_EQ(b.noteAt(0, 0, 10), 0);
    for (const SudokuCell& cl : b.cells)
        for (int d = 0; d < 100; d++) ASSERT_EQ(cl.notes[d], NoteUndecided);
    char name[16] = "";
    EXPECT_EQ(b.difficultyName(name, sizeof name), 0);
    EXPECT_STRNE(name, "");
}

TEST(Board, OnlyEnteredDigitsConflictButWithAnyKind) {
    Sudoku b;
    ASSERT_EQ(b.setDigit(0, 0, 5, Given), 1);
    ASSERT_EQ(b.setDigit(0, 8, 5, Entered), 1);  // the board accepts the duplicate
    EXPECT_EQ(b.isConflict(0, 8), 1);
    EXPECT_EQ(b.isConflict(0, 0), 0);  // a given digit is never in conflict
    ASSERT_EQ(b.setDigit(1, 1, 5, Recognized), 1);  // same box as (0,0)
    EXPECT_EQ(b.isConflict(1, 1), 0);
    EXPECT_EQ(b.countConflicts(), 1);
    b.setEvaluate(0);
    EXPECT_EQ(b.isConflict(0, 8), 0);
    EXPECT_EQ(b.countConflicts(), 1);  // counted all the same
    EXPECT_EQ(b.getEvaluate(), 0);     // and the flag is restored
    b.setEvaluate(1);
    b.setNote(0, 8, 2, NoteGood);
    ASSERT_EQ(b.clearCell(0, 8), 1);
    EXPECT_EQ(b.noteAt(0, 8, 2), 0);  // notes go with the digit
    EXPECT_EQ(b.countConflicts(), 0);
}

TEST(Markup, DigitBandAndStack) {
    Sudoku b;
    b.setDigit(0, 0, 5, Given);
    b.markUpDigit(5);
    EXPECT_EQ(b.noteAt(0, 1, 5), NoteUndecided);  // 5 ruled out in row 0
    EXPECT_EQ(b.noteAt(4, 4, 5), NoteGood);
    EXPECT_EQ(b.noteAt(0, 0, 5), 0);              // filled cells are untouched
    // A bad note survives while the digit stays a candidate ...
    b.setNote(4, 5, 5, NoteBad);
    EXPECT_GT(b.markUpAll(), 0);
    EXPECT_EQ(b.markUpAll(), 0);  // nothing left to change: the window need not redraw
    EXPECT_EQ(b.noteAt(4, 5, 5), NoteBad);
    // ... and goes once the digit is ruled out.
    b.setDigit(4, 0, 5, Entered);
    b.markUpDigit(5);
    EXPECT_EQ(b.noteAt(4, 5, 5), NoteUndecided);

    Sudoku band, stack, none;
    band.markUpBand(4, 2);
    stack.markUpStack(8, 2);
    none.markUpBand(9, 2);
    none.markUpStack(9, 2);
    for (int r = 0; r < 9; r++) {
        for (int c = 0; c < 9; c++) {
            EXPECT_EQ(band.noteAt(r, c, 2), r >= 3 && r <= 5 ? 1 : 0) << r << "," << c;
            EXPECT_EQ(stack.noteAt(r, c, 2), c >= 6 ? 1 : 0) << r << "," << c;
            EXPECT_EQ(none.noteAt(r, c, 2), 0);
        }
    }
    b.clearAllNotes();
    EXPECT_EQ(b.noteAt(4, 4, 5), 0);
}

// Grid rows count from the bottom. Loading starts from fresh cells but keeps
// tiles, difficulty and evaluation; merging replaces the player's digits with
// flagged ones, never a given. Both copy the images the camera reuses.
TEST(Recognition, LoadAndMerge) {
    Sudoku b;
    b.setDigit(4, 4, 9, Entered, cv::Mat(2, 2, CV_8UC1, cv::Scalar(1)));
    b.setNote(0, 0, 3, NoteBad);
    b.addTile(10.5f, 1.5f, 2);
    b.difficulty = 3;
    b.setEvaluate(0);
    b.digitImages[2] = cv::Mat(3, 3, CV_8UC1, cv::Scalar(22));
    int digits[81] = {}, flags[81] = {};
    cv::Mat snapshots[81], images[10];
    digits[0] = 4;  // grid row 0 = board row 8
    digits[76] = 6;  // board row 0, column 4
    digits[80] = 7;  // unflagged
    digits[10] = -1;
    flags[0] = flags[76] = 1;
    snapshots[76] = cv::Mat(5, 5, CV_8UC1, cv::Scalar(66));
    images[7] = cv::Mat(3, 3, CV_8UC1, cv::Scalar(77));
    b.loadRecognizedGrid(digits, flags, snapshots, 9, 9, images);
    EXPECT_EQ(b.kindAt(8, 0), Recognized);
    EXPECT_EQ(b.kindAt(0, 8), RecognizedUnflagged);
    EXPECT_EQ(b.countEmptyCells(), 78);  // the entered digit went with the reset
    EXPECT_TRUE(b.cell(4, 4).snapshot.empty());
    EXPECT_EQ(b.noteAt(0, 0, 3), NoteUndecided);
    snapshots[76].setTo(cv::Scalar(0));
    images[7].setTo(cv::Scalar(0));
    EXPECT_EQ(b.cell(0, 4).snapshot.at<unsigned char>(2, 2), 66);
    EXPECT_EQ(b.digitImages[7].at<unsigned char>(1, 1), 77);
    EXPECT_EQ(b.digitImages[2].at<unsigned char>(1, 1), 22);  // none given: kept
    EXPECT_EQ(b.tiles.size(), 1u);
    EXPECT_EQ(b.difficulty, 3);
    EXPECT_EQ(b.getEvaluate(), 0);

    b.setDigit(7, 1, 2, Entered);
    b.setDigit(7, 2, 3, Given);
    b.setDigit(7, 4, 4, Entered);
    int md[81] = {}, mf[81] = {};
    md[10] = 8;  // over the player's 2
    md[11] = 9;  // over the given 3
    md[12] = 5;  // flag 0: skipped
    md[13] = 7;  // flag 0 over the player's 4: left alone
    mf[10] = mf[11] = 1;
    b.mergeRecognizedDigits(md, mf, nullptr, 9, 9, nullptr);
    EXPECT_EQ(b.kindAt(7, 1), Recognized);
    EXPECT_EQ(b.digitAt(7, 1), 8);
    EXPECT_EQ(b.digitAt(7, 2), 3);
    EXPECT_EQ(b.digitAt(7, 3), 0);
    EXPECT_EQ(b.kindAt(7, 4), Entered);
    EXPECT_EQ(b.digitAt(8, 0), 4);  // merging does not reset
}

TEST(Recognition, WiderRowsNeverReachPastTheEightyFirstEntry) {
    int digits[200] = {}, flags[200];
    std::fill(flags, flags + 200, 1);
    digits[80] = 3;  // grid row 8, column 0 in rows of 10
    digits[85] = 5;  // grid row 8, column 5: beyond the 81 entries
    Sudoku b;
    b.loadRecognizedGrid(digits, flags, nullptr, 9, 10, nullptr);
    b.mergeRecognizedDigits(digits, flags, nullptr, 9, 10, nullptr);
    EXPECT_EQ(b.digitAt(0, 0), 3);
    EXPECT_EQ(b.countEmptyCells(), 80);
}

TEST(Tiles, PickMoveAndDrop) {
    Sudoku b;
    EXPECT_EQ(b.pickTile(1, 1), nullptr);
    b.dropCurrentTile();  // none held: nothing happens
    b.addTile(1.0f, 1.0f, 4);
    b.addTile(1.5f, 1.0f, 5);
    b.addTile(1.5f, 1.0f, 8);  // same place: the earlier tile stays chosen
    b.dropAllTiles();
    ASSERT_EQ(b.tiles.size(), 3u);
    EXPECT_EQ(b.pickTile(1.3f, 1.0f)->digit, 5);  // the nearer one, not the first
    EXPECT_EQ(b.pickTile(7.0f, 7.0f)->digit, 5);  // beside every tile: the held one stays
    EXPECT_EQ(b.pickTile(1.0f, 2.0f)->digit, 5);  // 4 lies exactly 1.0 away: not below 1.0
    EXPECT_EQ(b.pickTile(1.0f, 1.2f)->digit, 4);
    EXPECT_EQ(b.isCurrentTileNear(1.0f, 2.0f), 0);
    EXPECT_EQ(b.isCurrentTileNear(1.0f, 1.9f), 1);
    b.pickTile(1.5f, 1.0f);
    b.moveCurrentTile(2.5f, 2.5f);
    EXPECT_EQ(b.tiles[1].x, 2.5f);
    b.pickTile(1.5f, 1.0f);
    b.dropCurrentTile();  // the last tile goes, the first is held
    ASSERT_EQ(b.tiles.size(), 2u);
    EXPECT_EQ(b.tiles[1].digit, 5);
    EXPECT_EQ(b.current(), &b.tiles[0]);
    b.dropAllTiles();
    EXPECT_TRUE(b.tiles.empty());
}

}  // namespace
