#include "Sudoku.h"

#include "../TextHelpers.h"

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

TEST(Board, BadPlacesAndDigitsAreRefused) {
    Sudoku b;
    EXPECT_EQ(b.setDigit(9, 0, 5, Entered), 0);
    EXPECT_EQ(b.setDigit(0, -1, 5, Entered), 0);
    EXPECT_EQ(b.setDigit(0, 0, 0, Entered), 0);
    EXPECT_EQ(b.setDigit(0, 0, 10, Entered), 0);
    EXPECT_EQ(b.digitAt(9, 0), -1);
    EXPECT_EQ(b.kindAt(-1, 0), 0);
    EXPECT_EQ(b.boxOf(0, 9), -1);
    EXPECT_EQ(b.clearCell(0, 9), 0);
    EXPECT_EQ(b.clearCell(0, 0), 0);  // nothing entered there
    // A digit needs a kind that says where it came from.
    EXPECT_EQ(b.setDigit(0, 0, 5, Empty), 0);
    EXPECT_EQ(b.setDigit(0, 0, 5, RecognizedUnflagged + 1), 0);
    EXPECT_EQ(b.rowCounters[0].count[5], 0);
    EXPECT_EQ(b.cell(0, 1).candidates[5], 1);
    EXPECT_EQ(b.setNote(-1, 0, 3, NoteGood), 0);
    EXPECT_EQ(b.setNote(0, 9, 3, NoteBad), 0);
    EXPECT_EQ(b.setNote(0, 0, 10, NoteBad), 0);
    EXPECT_EQ(b.noteAt(9, 9, 3), 0);
    EXPECT_EQ(b.noteAt(0, 0, 10), 0);
    for (const SudokuCell& cl : b.cells)
        for (int d = 0; d < 100; d++) ASSERT_EQ(cl.notes[d], NoteUndecided);
    EXPECT_EQ(b.countEmptyCells(), 81);
    EXPECT_EQ(b.boxOf(4, 7), 5);
    EXPECT_EQ(b.rowFromBottom(2), 6);
}

TEST(Board, OccupiedCellIsNeverOverwritten) {
    Sudoku b;
    ASSERT_EQ(b.setDigit(2, 2, 4, Given), 1);
    EXPECT_EQ(b.setDigit(2, 2, 7, Entered), 0);
    EXPECT_EQ(b.digitAt(2, 2), 4);
    EXPECT_EQ(b.kindAt(2, 2), Given);
    EXPECT_EQ(b.rowCounters[2].count[7], 0);
    EXPECT_EQ(b.rowCounters[2].count[4], 1);
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

TEST(Board, ClearingRestoresOnlyFreedCandidates) {
    Sudoku b;
    b.setDigit(0, 0, 3, Given);
    b.setDigit(4, 4, 7, Entered);
    b.setNote(4, 4, 2, NoteGood);
    EXPECT_EQ(b.cell(4, 0).candidates[7], 0);
    ASSERT_EQ(b.clearCell(4, 4), 1);
    EXPECT_EQ(b.kindAt(4, 4), Empty);
    EXPECT_EQ(b.noteAt(4, 4, 2), 0);  // notes go with the digit
    EXPECT_EQ(b.cell(4, 0).candidates[7], 1);
    EXPECT_EQ(b.cell(4, 0).candidates[3], 0);  // still ruled out by the given 3
    EXPECT_EQ(b.cell(4, 4).candidateCount, 9);
}

TEST(Board, EmptyAndFullBoards) {
    Sudoku b;
    EXPECT_EQ(b.countEmptyCells(), 81);
    EXPECT_EQ(b.countConflicts(), 0);
    for (int r = 0; r < 9; r++)
        for (int c = 0; c < 9; c++)
            b.setDigit(r, c, (3 * (r % 3) + r / 3 + c) % 9 + 1, Entered);
    EXPECT_EQ(b.countEmptyCells(), 0);
    EXPECT_EQ(b.countConflicts(), 0);
}

TEST(Markup, DigitBandAndStack) {
    Sudoku b;
    b.setDigit(0, 0, 5, Given);
    b.markUpDigit(5);
    EXPECT_EQ(b.noteAt(0, 1, 5), NoteUndecided);  // 5 ruled out in row 0
    EXPECT_EQ(b.noteAt(4, 4, 5), NoteGood);
    EXPECT_EQ(b.noteAt(0, 0, 5), 0);              // filled cells are untouched
    EXPECT_EQ(b.noteAt(4, 4, 6), NoteUndecided);  // other digits untouched

    // A bad note survives while the digit stays a candidate ...
    b.setNote(4, 5, 5, NoteBad);
    EXPECT_GT(b.markUpAll(), 0);
    EXPECT_EQ(b.markUpAll(), 0);  // nothing left to change: the window need not redraw
    EXPECT_EQ(b.noteAt(4, 5, 5), NoteBad);
    // ... and goes once the digit is ruled out.
    b.setDigit(4, 0, 5, Entered);
    b.markUpDigit(5);
    EXPECT_EQ(b.noteAt(4, 5, 5), NoteUndecided);

    Sudoku band;
    band.markUpBand(4, 2);
    Sudoku stack;
    stack.markUpStack(8, 2);
    for (int r = 0; r < 9; r++) {
        for (int c = 0; c < 9; c++) {
            EXPECT_EQ(band.noteAt(r, c, 2), r >= 3 && r <= 5 ? 1 : 0) << r << "," << c;
            EXPECT_EQ(stack.noteAt(r, c, 2), c >= 6 ? 1 : 0) << r << "," << c;
        }
    }
    Sudoku none;
    none.markUpBand(9, 2);
    none.markUpStack(9, 2);
    for (int i = 0; i < 81; i++) EXPECT_EQ(none.cells[i].notes[2], 0);

    b.clearAllNotes();
    EXPECT_EQ(b.noteAt(4, 4, 5), 0);
}

TEST(Recognition, LoadCountsRowsFromTheBottomAndMergeRespectsGivens) {
    Sudoku b;
    int digits[81] = {}, flags[81] = {};
    digits[0] = 4;  // grid row 0 = board row 8
    flags[0] = 1;
    digits[80] = 6;  // grid row 8 = board row 0, unflagged
    digits[10] = -1;
    b.loadRecognizedGrid(digits, flags, nullptr, 9, 9, nullptr);
    EXPECT_EQ(b.digitAt(8, 0), 4);
    EXPECT_EQ(b.kindAt(8, 0), Recognized);
    EXPECT_EQ(b.digitAt(0, 8), 6);
    EXPECT_EQ(b.kindAt(0, 8), RecognizedUnflagged);
    EXPECT_EQ(b.countEmptyCells(), 79);

    Sudoku m;
    m.setDigit(7, 1, 2, Entered);
    m.setDigit(7, 2, 3, Given);
    int md[81] = {}, mf[81] = {};
    md[1 * 9 + 1] = 8;  // over the player's 2
    mf[1 * 9 + 1] = 1;
    md[1 * 9 + 2] = 9;  // over the given 3
    mf[1 * 9 + 2] = 1;
    md[1 * 9 + 3] = 5;  // flag 0: skipped
    m.mergeRecognizedDigits(md, mf, nullptr, 9, 9, nullptr);
    EXPECT_EQ(m.digitAt(7, 1), 8);
    EXPECT_EQ(m.kindAt(7, 1), Recognized);
    EXPECT_EQ(m.digitAt(7, 2), 3);
    EXPECT_EQ(m.kindAt(7, 2), Given);
    EXPECT_EQ(m.digitAt(7, 3), 0);

    // A flag-0 entry leaves the player's digit alone; a flagged one over the
    // player's same digit makes it a recognised one.
    m.setDigit(0, 0, 4, Entered);
    m.setDigit(0, 1, 5, Entered);
    int od[81] = {}, of[81] = {};
    od[8 * 9 + 0] = 7;  // board row 0, flag 0
    od[8 * 9 + 1] = 5;
    of[8 * 9 + 1] = 1;
    m.mergeRecognizedDigits(od, of, nullptr, 9, 9, nullptr);
    EXPECT_EQ(m.digitAt(0, 0), 4);
    EXPECT_EQ(m.kindAt(0, 0), Entered);
    EXPECT_EQ(m.digitAt(0, 1), 5);
    EXPECT_EQ(m.kindAt(0, 1), Recognized);
    EXPECT_EQ(m.digitAt(7, 1), 8);  // earlier cells stay: merge does not reset
}

TEST(Recognition, LoadStartsFromFreshCellsAndKeepsTheRest) {
    Sudoku b;
    b.setDigit(4, 4, 9, Entered, cv::Mat(2, 2, CV_8UC1, cv::Scalar(1)));
    b.setNote(0, 0, 3, NoteBad);
    b.addTile(10.5f, 1.5f, 2);
    b.difficulty = 3;
    b.setPermutationNumber(7);
    b.setEvaluate(0);
    b.digitImages[2] = cv::Mat(3, 3, CV_8UC1, cv::Scalar(22));

    int digits[81] = {}, flags[81] = {};
    cv::Mat snapshots[81], images[10];
    digits[8 * 9 + 4] = 6;  // board row 0, column 4
    flags[8 * 9 + 4] = 1;
    snapshots[8 * 9 + 4] = cv::Mat(5, 5, CV_8UC1, cv::Scalar(66));
    images[7] = cv::Mat(3, 3, CV_8UC1, cv::Scalar(77));
    b.loadRecognizedGrid(digits, flags, snapshots, 9, 9, images);

    EXPECT_EQ(b.digitAt(4, 4), 0);  // the entered digit went with the reset
    EXPECT_TRUE(b.cell(4, 4).snapshot.empty());
    EXPECT_EQ(b.noteAt(0, 0, 3), NoteUndecided);
    EXPECT_EQ(b.digitAt(0, 4), 6);
    EXPECT_EQ(b.countEmptyCells(), 80);
    snapshots[8 * 9 + 4].setTo(cv::Scalar(0));  // the camera reuses its images
    images[7].setTo(cv::Scalar(0));
    ASSERT_FALSE(b.cell(0, 4).snapshot.empty());
    EXPECT_EQ(b.cell(0, 4).snapshot.at<unsigned char>(2, 2), 66);
    EXPECT_EQ(b.digitImages[7].at<unsigned char>(1, 1), 77);
    EXPECT_EQ(b.digitImages[2].at<unsigned char>(1, 1), 22);  // none given: kept
    EXPECT_TRUE(b.digitImages[3].empty());
    EXPECT_EQ(b.tiles.size(), 1u);
    EXPECT_EQ(b.difficulty, 3);
    EXPECT_EQ(b.permutationNumber, 7);
    EXPECT_EQ(b.getEvaluate(), 0);

    // Merging hands over its digit images the same way.
    cv::Mat more[10];
    more[2] = cv::Mat(3, 3, CV_8UC1, cv::Scalar(23));
    b.mergeRecognizedDigits(digits, flags, nullptr, 9, 9, more);
    EXPECT_EQ(b.digitImages[2].at<unsigned char>(1, 1), 23);
    EXPECT_EQ(b.digitImages[7].at<unsigned char>(1, 1), 77);
    EXPECT_EQ(b.digitAt(0, 4), 6);
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

    std::vector<Tile> seen(2);
    seen[0].x = 4.25f;
    seen[0].y = -1.5f;
    seen[0].digit = 3;
    seen[0].angle = 45;
    seen[1].x = 11.0f;
    seen[1].digit = 0;
    b.addTile(1, 1, 6);
    b.replaceTiles(seen);
    ASSERT_EQ(b.tiles.size(), 2u);
    EXPECT_EQ(b.tiles[0].x, 4.25f);
    EXPECT_EQ(b.tiles[0].y, -1.5f);
    EXPECT_EQ(b.tiles[0].digit, 3);
    EXPECT_EQ(b.tiles[0].angle, 45);
    EXPECT_EQ(b.tiles[1].x, 11.0f);
    EXPECT_EQ(b.current(), nullptr);
}

TEST(Tiles, APickBesideEveryTileKeepsTheHeldOne) {
    Sudoku b;
    b.addTile(1.0f, 1.0f, 4);
    b.addTile(1.5f, 1.0f, 5);
    EXPECT_EQ(b.pickTile(1.3f, 1.0f)->digit, 5);  // the nearer one, not the first
    Tile* held = b.pickTile(7.0f, 7.0f);
    ASSERT_NE(held, nullptr);
    EXPECT_EQ(held->digit, 5);
    EXPECT_EQ(b.pickTile(1.0f, 2.0f)->digit, 5);  // 4 lies exactly 1.0 away: not below 1.0
    EXPECT_EQ(b.pickTile(1.0f, 1.2f)->digit, 4);
    EXPECT_EQ(b.isCurrentTileNear(1.0f, 2.0f), 0);
    EXPECT_EQ(b.isCurrentTileNear(1.0f, 1.9f), 1);
}

TEST(Tiles, DroppingNeedsAHeldTile) {
    Sudoku b;
    b.dropCurrentTile();
    b.dropAllTiles();
    b.addTile(10.5f, 1.5f, 1);
    b.addTile(10.5f, 3.5f, 2);
    b.addTile(10.5f, 5.5f, 3);
    b.moveCurrentTile(0, 0);
    b.dropCurrentTile();
    b.dropAllTiles();  // none held: the list stays
    ASSERT_EQ(b.tiles.size(), 3u);
    EXPECT_EQ(b.tiles[0].x, 10.5f);
    EXPECT_EQ(b.tiles[0].y, 1.5f);
    EXPECT_EQ(b.isCurrentTileNear(10.5f, 1.5f), 0);

    b.pickTile(10.5f, 5.5f);
    b.dropCurrentTile();  // the last tile goes, the first is held
    ASSERT_EQ(b.tiles.size(), 2u);
    EXPECT_EQ(b.tiles[1].digit, 2);
    EXPECT_EQ(b.current(), &b.tiles[0]);
    b.dropAllTiles();
    EXPECT_TRUE(b.tiles.empty());
}

TEST(Board, TableAndCornerAreas) {
    Sudoku b;  // xmin 0, xmax 12, ymin -3, ymax 9
    EXPECT_EQ(b.inTableArea(-3, 12), 1);
    EXPECT_EQ(b.inTableArea(-4, 5), 0);
    EXPECT_EQ(b.inTableArea(5, -1), 0);
    EXPECT_EQ(b.inCornerArea(-1, 10), 1);
    EXPECT_EQ(b.inCornerArea(-1, 5), 0);
    EXPECT_EQ(b.inCornerArea(9, 0), 1);
    EXPECT_EQ(b.containsPlace(8, 8), 1);
    EXPECT_EQ(b.containsPlace(8, 9), 0);
}

TEST(Board, PrintIsExact) {
    Sudoku b;
    b.setDigit(0, 0, 1, Given);
    b.setDigit(8, 8, 9, Entered);
    std::string expected = "SUDOKU GRID: [9,9]\n1 0 0 0 0 0 0 0 0 \n";
    for (int r = 1; r < 8; r++) expected += "0 0 0 0 0 0 0 0 0 \n";
    expected += "0 0 0 0 0 0 0 0 9 \n";
    EXPECT_EQ(printed([&](FILE* out) { b.print(out); }), expected);
}

TEST(Board, DifficultyNames) {
    Sudoku b;
    char name[16] = "unchanged";
    EXPECT_EQ(b.difficultyName(name, sizeof name), 0);
    EXPECT_STREQ(name, "?");
    b.difficulty = 2;
    b.difficultyName(name, sizeof name);
    EXPECT_STREQ(name, "Medium");
    b.difficulty = 7;
    std::snprintf(name, sizeof name, "keep");
    b.difficultyName(name, sizeof name);
    EXPECT_STREQ(name, "keep");
}

}  // namespace
