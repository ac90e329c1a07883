#include "../TextHelpers.h"
#include "GridStack.h"
#include "PuzzleFile.h"
#include "SessionSettings.h"
#include "Sudoku.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>
#include <strings.h>

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

TEST(Board, OutOfRangeQueriesNotesConflictsAndMarkup) {
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
    EXPECT_STRNE(name, "");  // a board of no difficulty still has a name

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

    // Bands are marked up through the game (PlayTest).
    Sudoku stack, none;
    stack.markUpStack(8, 2);
    none.markUpBand(9, 2);
    none.markUpStack(9, 2);
    for (int r = 0; r < 9; r++) {
        for (int c = 0; c < 9; c++) {
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
    int md[81] = {}, mf[81] = {};
    md[10] = 8;  // over the player's 2
    md[11] = 9;  // over the given 3
    md[12] = 5;  // flag 0: skipped
    mf[10] = mf[11] = 1;
    b.mergeRecognizedDigits(md, mf, nullptr, 9, 9, nullptr);
    EXPECT_EQ(b.kindAt(7, 1), Recognized);
    EXPECT_EQ(b.digitAt(7, 1), 8);
    EXPECT_EQ(b.digitAt(7, 2), 3);
    EXPECT_EQ(b.digitAt(7, 3), 0);
    EXPECT_EQ(b.digitAt(8, 0), 4);  // merging does not reset

    // Wider rows never reach past the 81st entry.
    int wide[200] = {}, wideFlags[200];
    std::fill(wideFlags, wideFlags + 200, 1);
    wide[80] = 3;  // grid row 8, column 0 in rows of 10
    wide[85] = 5;  // grid row 8, column 5: beyond the 81 entries
    b.loadRecognizedGrid(wide, wideFlags, nullptr, 9, 10, nullptr);
    b.mergeRecognizedDigits(wide, wideFlags, nullptr, 9, 10, nullptr);
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
// pushed board as it was; a full stack takes no more.
TEST(GridStack, APoppedBoardEqualsThePushedOne) {
    GridStack stack(2);
    Sudoku live = busyBoard();
    ASSERT_EQ(stack.push(live), 1);
    live.cell(2, 7).snapshot.setTo(cv::Scalar(0));
    live.digitImages[3].setTo(cv::Scalar(0));
    live.clearCell(4, 6);
    live.setDigit(8, 8, 9, Entered);
    live.clearAllNotes();
    live.moveCurrentTile(5, 5);
    live.difficulty = 4;
    EXPECT_EQ(stack.push(live) + stack.push(live), 1);
    EXPECT_NE(stack.pop(), nullptr);

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
    EXPECT_EQ(stack.pop(), nullptr);
}

std::string userFile(const char* test, const std::string& name) {
    SessionSettings s;
    s.setTestName(test);
    s.setUserName(name.c_str());
    return s.userPath();
}

// Random names, many of characters that need escaping, long, or made to
// look like an escaped or shortened name: ordinary ones are kept as they
// are, none leaves the folder, becomes the settings file or shares a file.
TEST(SessionSettings, AgendaFileNamesAreOneToOneAndStayInTheFolder) {
    std::mt19937 random(13);
    const std::string alphabet = "ab_%/:.~ \\\x01\xFC" "0123456789ABCDEFcfgino";
    std::vector<std::string> names = {"config", "CONFIG", "%63onfig", "log", "finishedgames"};
    for (int i = 0; i < 20000; i++) {
        std::string name(random() % 80, ' ');
        for (char& ch : name) ch = alphabet[random() % alphabet.size()];
        names.push_back(name);
    }
    for (char tail : {'a', 'b', '%'}) names.push_back(std::string(78, 'x') + tail);
    for (const char* test : {"t", "a-longer-name-of-a-test-series-folder"}) {
        const std::string folder = std::string("Tests/") + test + "/";
        std::map<std::string, std::string> owner;
        for (const std::string& name : names) {
            const std::string path = userFile(test, name);
            ASSERT_EQ(path.rfind(folder, 0), 0u) << name;
            const std::string file = path.substr(folder.size());
            EXPECT_LE(path.size(), 79u);
            EXPECT_EQ(file.find('/'), std::string::npos);
            EXPECT_NE(file[0], '.');
            EXPECT_EQ(file.substr(file.size() - 4), ".xml");
            EXPECT_NE(strcasecmp(file.c_str(), "config.xml"), 0) << name;
            const bool ordinary =
                name.find_first_of("%/:\\\x01") == std::string::npos && !name.empty() && name[0] != '.' &&
                name.find_first_not_of(' ') != std::string::npos && strcasecmp(name.c_str(), "config") != 0;
            EXPECT_TRUE(!ordinary || folder.size() + name.size() + 4 > 79 || file == name + ".xml") << name;
            const auto taken = owner.emplace(path, name);
            EXPECT_TRUE(taken.second || taken.first->second == name)
                << "\"" << name << "\" and \"" << taken.first->second << "\" share " << path;
        }
    }
    // Short names still fit beside a long test name; a long one cannot be told apart.
    const std::string longTest(60, 't');
    EXPECT_EQ(userFile(longTest.c_str(), "al"), "Tests/" + longTest + "/al.xml");
    EXPECT_EQ(userFile(longTest.c_str(), std::string(40, 'n')), "");
}

TEST(PuzzleFile, BadFilesEndReadingCleanlyAndEveryPermutationOfASolvedGridIsSolved) {
    Sudoku b;
    const auto read = [&](const std::string& text) { return readPuzzle(b, writeScratch("puzzle.txt", text).c_str()); };
    b.setDigit(3, 3, 8, Entered);
    EXPECT_EQ(readPuzzle(b, "/nonexistent/g99.txt"), 0);
    EXPECT_EQ(readPuzzle(b, ::testing::TempDir().c_str()), 0);
    EXPECT_EQ(b.kindAt(3, 3), Entered);

    std::string text = "10 10\n";
    for (int i = 0; i < 100; i++) text += std::to_string(i % 9 + 1) + " ";
    ASSERT_EQ(read(text + "difficulty : hard\n"), 1);
    EXPECT_EQ(b.digitAt(0, 0), 1);
    EXPECT_EQ(b.digitAt(1, 0), 2);  // row 1 starts at token 10
    EXPECT_EQ(b.difficulty, 3);    // found after all 100 tokens

    // Bad files end reading cleanly with the cells read so far, in bounded time;
    // numbers beyond int give no header (the sanitizer build also checks that no
    // cell count is made from them).
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
