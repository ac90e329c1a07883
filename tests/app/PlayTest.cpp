// The play commands on a board: tiles made with the digit keys, dragged and
// dropped, notes, markup and the idle steps.
#include "../TextHelpers.h"
#include "../vision/camera/SceneTest.h"
#include "CameraGame.h"
#include "Play.h"
#include "PuzzleFile.h"
#include "Shell.h"

#include <gtest/gtest.h>

namespace {

MousePlace at(double bx, double by, int x = 300, int y = 200) { return {x, y, bx, by}; }

// Centre of cell (r, c) in board coordinates.
MousePlace cell(int r, int c) { return at(c + 0.5, 8.5 - r); }

class PlayTest : public ::testing::Test {
protected:
    Sudoku board;
    GridStack stack;
    RunningGame game;
    long now = 100000;

    void SetUp() override {
        ASSERT_TRUE(readPuzzle(board, TABRELO_DATA "/sudoku-grids/g0.txt"));
        session = SessionSettings();
        sudoku = &board;
        gridStack = &stack;
        gameWindow = new GameWindow(session);
        agenda = Agenda();
    }
    void TearDown() override {
        delete gameWindow;
        gameWindow = nullptr;
        sudoku = nullptr;
    }

    int mouse(int button, int state, const MousePlace& p) {
        now += 50;
        game.mouse.record(button, state, p.x, p.y, now);
        return playMouse(game, button, state, p);
    }
    void drag(const MousePlace& p) {
        now += 200;
        playDrag(game, p, now);
    }
};

TEST_F(PlayTest, DraggedTileEntersItsDigitOnlyOnAnEmptyCell) {
    playKey(game, '5', at(10.5, 4.5), now, stdout);
    mouse(kLeftButton, kButtonDown, at(10.6, 4.4));
    playDrag(game, cell(0, 2), now + 100);  // still a held press: the tile stays
    EXPECT_FLOAT_EQ(board.tiles.at(0).x, 10.5f);
    drag(cell(0, 2));
    mouse(kLeftButton, kButtonUp, cell(0, 2));
    EXPECT_EQ(board.digitAt(0, 2), 5);
    EXPECT_EQ(game.currentDigit, 0);

    playKey(game, '4', at(10.5, 4.5), now, stdout);  // onto the given 5: the tile stays there
    mouse(kLeftButton, kButtonDown, at(10.5, 4.5));
    drag(cell(0, 0));
    mouse(kLeftButton, kButtonUp, cell(0, 0));
    now += 1000;
    EXPECT_EQ(board.digitAt(0, 0), 5);
    ASSERT_EQ(board.tiles.size(), 1u);
    EXPECT_FLOAT_EQ(board.tiles[0].x, 0.5f);
    // A left press takes an entered digit back but not a given one.
    mouse(kLeftButton, kButtonDown, cell(0, 0));
    mouse(kLeftButton, kButtonUp, cell(0, 0));
    EXPECT_EQ(board.digitAt(0, 0), 5);
    mouse(kLeftButton, kButtonDown, cell(0, 2));
    mouse(kLeftButton, kButtonUp, cell(0, 2));
    EXPECT_EQ(board.digitAt(0, 2), 0);  // nothing in hand: nothing entered
}

TEST_F(PlayTest, DoublePressOrReleaseOffTheTableDropsTiles) {
    playKey(game, '3', at(10.5, 4.5), now, stdout);
    playKey(game, '6', at(10.5, -1.5), now, stdout);
    playKey(game, '7', at(11.5, -2.5), now, stdout);
    mouse(kLeftButton, kButtonDown, at(10.5, 4.5));
    mouse(kLeftButton, kButtonUp, at(10.5, 4.5));
    mouse(kLeftButton, kButtonDown, at(10.5, 4.5));
    EXPECT_EQ(board.tiles.size(), 2u);
    EXPECT_EQ(game.currentDigit, 0);
    mouse(kLeftButton, kButtonUp, at(10.5, 4.5));
    now += 1000;
    mouse(kLeftButton, kButtonDown, at(10.5, -1.5));
    mouse(kLeftButton, kButtonUp, at(10.5, -1.5));
    mouse(kLeftButton, kButtonDown, at(10.5, -1.5));  // in the lower right corner: all
    EXPECT_TRUE(board.tiles.empty());

    for (const MousePlace& release : {at(14.0, 4.5), at(10.5, 4.5, 0, 200)}) {
        now += 1000;
        playKey(game, '3', at(10.5, 4.5), now, stdout);
        mouse(kLeftButton, kButtonDown, at(10.5, 4.5));
        drag(release);
        mouse(kLeftButton, kButtonUp, release);  // beside the table, or on the window's edge
        EXPECT_TRUE(board.tiles.empty());
    }
}

TEST_F(PlayTest, RightPressCyclesTheNoteOrMarksUpWhenSemiautomatic) {
    playKey(game, '4', at(10.5, 4.5), now, stdout);
    mouse(kLeftButton, kButtonDown, at(10.5, 4.5));
    mouse(kLeftButton, kButtonUp, at(10.5, 4.5));
    for (int note : {NoteGood, NoteBad, NoteUndecided}) {
        mouse(kRightButton, kButtonDown, cell(0, 2));
        mouse(kRightButton, kButtonUp, cell(0, 2));
        EXPECT_EQ(board.noteAt(0, 2, 4), note);
    }
    mouse(kRightButton, kButtonDown, cell(0, 0));  // a filled cell keeps no notes
    EXPECT_EQ(board.noteAt(0, 0, 4), 0);

    mouse(kRightButton, kButtonDown, at(10.5, 4.5));
    EXPECT_EQ(board.noteAt(3, 5, 4) + board.noteAt(0, 2, 4), 0);
    session.toggleSemiautomaticMarkup();
    mouse(kRightButton, kButtonDown, at(10.5, 4.5));  // band of row 4 and stack of column 10: none
    EXPECT_EQ(board.noteAt(3, 5, 4), NoteGood);       // 4 may still go there
    EXPECT_EQ(board.noteAt(4, 1, 4), NoteUndecided);  // row 4 holds a 4
    EXPECT_EQ(board.noteAt(0, 2, 4), NoteUndecided);  // outside band 1
    mouse(kRightButton, kButtonDown, at(10.5, -1.5));  // corner: everything
    EXPECT_EQ(board.noteAt(0, 2, 4), NoteGood);
}

TEST_F(PlayTest, WonOnceWhenSolvedWithoutConflicts) {
    const char* solution =
        "534678912672195348198342567859761423426853791713924856961537284287419635345286179";
    for (int i = 0; i < 81; i++)
        board.setDigit(i / 9, i % 9, i == 72 ? 1 : solution[i] - '0', Entered);
    idleStep(game, stdin, stdout);  // 1 in the bottom left cell: a conflict
    EXPECT_EQ(game.wonFlag, 0);
    agenda.length = 2;  // a test series: the time goes to its current game
    agenda.current = 1;
    game.clock.total = 75000;
    board.clearCell(8, 0);
    board.setDigit(8, 0, 3, Entered);
    idleStep(game, stdin, stdout);
    EXPECT_EQ(game.wonFlag, 1);
    EXPECT_EQ(agenda.items[1].milliseconds, 75000);
    playKey(game, 'c', cell(0, 0), now, stdout);  // the won game's clock is held
    EXPECT_EQ(game.clock.running, 0);
    game.clock.total = 99000;
    board.clearCell(8, 0);
    board.setDigit(8, 0, 3, Entered);
    idleStep(game, stdin, stdout);  // solved again: recorded once
    EXPECT_EQ(agenda.items[1].milliseconds, 75000);
}

// The shipped tile scene through the camera step, the hand-over and the tile
// moves: its 5 slides onto the empty cell (3, 8) and enters there once.
TEST(CameraTiles, TheSlidingTileOfTheSceneEntersItsDigitOnce) {
    enterDataFolder();
    Sudoku board;
    ASSERT_EQ(readPuzzle(board, "sudoku-grids/g1.txt"), 1);
    permute(board);
    const int emptyBefore = board.countEmptyCells();
    SceneDescription scene;
    ASSERT_EQ(readSceneFile("scenes/tiles.scene", scene), 1);
    SceneRun run(scene);
    run.c.useMouse = 0;
    run.c.board = &board;
    int entries = 0;
    for (int frame = 0; frame < scene.frames + 5; frame++) {
        run.step(frame);
        if (run.vision.tiles.handOverPending) board.replaceTiles(run.vision.tiles.list);
        run.vision.tiles.handOverPending = 0;
        const int before = board.digitAt(3, 8);
        cameraTilesToBoard(board, run.out);
        entries += before != board.digitAt(3, 8);
    }
    EXPECT_EQ(entries, 1);
    EXPECT_EQ(board.digitAt(3, 8), 5);
    EXPECT_EQ(board.kindAt(3, 8), Entered);
    EXPECT_EQ(board.countEmptyCells(), emptyBefore - 1);
}

TEST(CameraTiles, OnlyStraightTilesInTheMiddleOfACellEnterDigits) {
    Sudoku board;
    // Cell (0, 2) covers x 2..3, y 8..9.
    board.replaceTiles({{2.3f, 8.5f, 4, 0}, {2.5f, 8.5f, 4, 10}, {5.5f, 3.5f, 6, 357}, {7.5f, 0.5f, 2, 3}});
    board.currentTile = 0;
    // Nothing is said at the normal debug level.
    EXPECT_EQ(printed([&](FILE* out) { cameraTilesToBoard(board, out); }), "");
    EXPECT_EQ(board.digitAt(0, 2), 0);  // off the middle, or turned by 10 degrees
    EXPECT_EQ(board.digitAt(5, 5), 6);
    EXPECT_EQ(board.kindAt(5, 5), Entered);
    EXPECT_EQ(board.digitAt(8, 7), 2);
    // Each entry dropped the current tile: the first two tiles.
    ASSERT_EQ(board.tiles.size(), 2u);
    EXPECT_EQ(board.tiles[0].angle, 357);

    board.replaceTiles({{5.5f, 3.5f, 0, 0}});
    board.currentTile = 0;
    cameraTilesToBoard(board, stdout);
    EXPECT_EQ(board.digitAt(5, 5), 0);  // a blank tile takes the entry back
    EXPECT_TRUE(board.tiles.empty());
}

}  // namespace
