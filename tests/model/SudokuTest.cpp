#include "Sudoku.h"

#include <gtest/gtest.h>

#include <random>
#include <set>

namespace {

// Brute-force candidates: digits absent from the row, column and box.
std::set<int> absentDigits(const Sudoku& b, int r, int c) {
    std::set<int> out;
    for (int d = 1; d <= 9; d++) out.insert(d);
    for (int k = 0; k < 9; k++) {
        out.erase(b.digitAt(r, k));
        out.erase(b.digitAt(k, c));
    }
    for (int rr = 3 * (r / 3); rr < 3 * (r / 3) + 3; rr++)
        for (int cc = 3 * (c / 3); cc < 3 * (c / 3) + 3; cc++) out.erase(b.digitAt(rr, cc));
    return out;
}

void expectInvariants(const Sudoku& b) {
    for (int r = 0; r < 9; r++) {
        for (int c = 0; c < 9; c++) {
            const SudokuCell& cl = b.cell(r, c);
            ASSERT_EQ(cl.digit == 0, cl.kind == Empty) << r << "," << c;
            if (cl.digit != 0) continue;
            std::set<int> cand;
            for (int d = 1; d <= 9; d++)
                if (cl.candidates[d]) cand.insert(d);
            ASSERT_EQ(cand, absentDigits(b, r, c)) << r << "," << c;
            ASSERT_EQ(cl.candidateCount, (int)cand.size());
            if (cand.size() == 1) {
                ASSERT_EQ(cl.singleCandidate, *cand.begin());
            }
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
            ASSERT_EQ(b.setDigit(r, c, d, kind), placed ? 1 : 0) << "step " << step;
            if (placed) {
                ASSERT_EQ(b.digitAt(r, c), d);
                ASSERT_EQ(b.kindAt(r, c), kind);
            }
        } else if (op < 8) {
            const bool cleared = onBoard && b.kindAt(r, c) == Entered;
            ASSERT_EQ(b.clearCell(r, c), cleared ? 1 : 0) << "step " << step;
            if (onBoard) {
                ASSERT_EQ(b.digitAt(r, c) == 0, cleared || b.kindAt(r, c) == Empty);
            }
        } else {
            int digits[81], flags[81];
            for (int i = 0; i < 81; i++) {
                digits[i] = rng() % 6 == 0 ? (int)(rng() % 11) - 1 : 0;
                flags[i] = rng() % 2;
            }
            if (op == 8) {
                b.mergeRecognizedDigits(digits, flags, nullptr, 9, 9, nullptr);
            } else {
                b.loadRecognizedGrid(digits, flags, nullptr, 9, 9, nullptr);
            }
        }
        expectInvariants(b);
        if (HasFatalFailure()) {
            FAIL() << "after step " << step;
        }
    }
}

// Places, digits and kinds beyond random play's reach: notes and lookups.
TEST(Board, BadPlacesAndDigitsAreRefused) {
    Sudoku b;
    EXPECT_EQ(b.digitAt(9, 0), -1);
    EXPECT_EQ(b.kindAt(-1, 0), 0);
    EXPECT_EQ(b.boxOf(0, 9), -1);
    EXPECT_EQ(b.setNote(-1, 0, 3, NoteGood), 0);
    EXPECT_EQ(b.setNote(0, 9, 3, NoteBad), 0);
    EXPECT_EQ(b.setNote(0, 0, 10, NoteBad), 0);
    EXPECT_EQ(b.noteAt(9, 9, 3), 0);
    EXPECT_EQ(b.noteAt(0, 0, 10), 0);
    for (const SudokuCell& cl : b.cells)
        for (int d = 0; d < 100; d++) ASSERT_EQ(cl.notes[d], NoteUndecided);
    EXPECT_EQ(b.boxOf(4, 7), 5);
    EXPECT_EQ(b.cell(0, 1).candidates[5], 1);
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

    EXPECT_EQ(b.clearCell(0, 0), 0);  // given
    EXPECT_EQ(b.clearCell(1, 1), 0);  // recognised
    ASSERT_EQ(b.setDigit(8, 4, 5, Entered), 1);
    ASSERT_EQ(b.setDigit(8, 3, 5, Entered), 1);
    EXPECT_EQ(b.isConflict(8, 4), 1);
    ASSERT_EQ(b.clearCell(8, 3), 1);
    EXPECT_EQ(b.isConflict(8, 4), 0);  // counters were recounted
}

TEST(Recognition, WiderRowsNeverReachPastTheEightyFirstEntry) {
    int digits[200] = {}, flags[200] = {};
    for (int i = 0; i < 200; i++) flags[i] = 1;
    digits[80] = 3;  // grid row 8, column 0 in rows of 10
    digits[85] = 5;  // grid row 8, column 5: beyond the 81 entries
    Sudoku b;
    b.loadRecognizedGrid(digits, flags, nullptr, 9, 10, nullptr);
    EXPECT_EQ(b.digitAt(0, 0), 3);
    EXPECT_EQ(b.digitAt(0, 5), 0);
    b.mergeRecognizedDigits(digits, flags, nullptr, 9, 10, nullptr);
    EXPECT_EQ(b.digitAt(0, 5), 0);
    EXPECT_EQ(b.countEmptyCells(), 80);
}

TEST(Tiles, PickMoveAndDrop) {
    Sudoku b;
    EXPECT_EQ(b.pickTile(1, 1), nullptr);
    b.addTile(10.5f, 1.5f, 5);
    b.addTile(10.5f, 3.5f, 7);
    b.addTile(10.5f, 3.5f, 8);  // same place: the earlier tile stays chosen
    EXPECT_EQ(b.pickTile(5, 5), nullptr);  // nothing closer than 1.0
    Tile* t = b.pickTile(10.6f, 3.4f);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->digit, 7);
    b.moveCurrentTile(2.5f, 2.5f);
    EXPECT_EQ(b.isCurrentTileNear(2.9f, 2.5f), 1);
    EXPECT_EQ(b.isCurrentTileNear(3.6f, 2.5f), 0);
    b.dropCurrentTile();
    ASSERT_EQ(b.tiles.size(), 2u);
    EXPECT_EQ(b.current()->digit, 5);  // the first tile becomes current
    b.dropAllTiles();
    EXPECT_TRUE(b.tiles.empty());
    EXPECT_EQ(b.current(), nullptr);

    std::vector<Tile> seen(1);
    seen[0].x = 4.25f;
    seen[0].digit = 3;
    seen[0].reserved = 9;
    b.addTile(1, 1, 6);
    b.replaceTiles(seen);
    ASSERT_EQ(b.tiles.size(), 1u);
    EXPECT_EQ(b.tiles[0].x, 4.25f);
    EXPECT_EQ(b.tiles[0].reserved, 0);  // only position, digit and angle are copied
    EXPECT_EQ(b.current(), nullptr);
}

}  // namespace
