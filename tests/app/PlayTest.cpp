// The play commands on a board: tiles made with the digit keys, dragged and
// dropped, notes, markup, the clock keys and the idle steps.
#include "CameraGame.h"
#include "Play.h"
#include "PuzzleFile.h"
#include "Shell.h"
#include "SyntheticCamera.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace {

MousePlace at(double bx, double by, int x = 300, int y = 200) {
    MousePlace p;
    p.x = x;
    p.y = y;
    p.bx = bx;
    p.by = by;
    return p;
}

// Centre of cell (r, c) in board coordinates.
MousePlace cell(int r, int c) { return at(c + 0.5, 8.5 - r); }

class PlayTest : public ::testing::Test {
protected:
    Sudoku board;
    GridStack stack;
    RunningGame game;
    FILE* out = nullptr;
    long now = 100000;

    void SetUp() override {
        ASSERT_TRUE(readPuzzle(board, TABRELO_DATA "/sudoku-grids/g0.txt"));
        session = SessionSettings();
        sudoku = &board;
        gridStack = &stack;
        gameWindow = new GameWindow(session);
        agenda = Agenda();
        out = std::fopen("/dev/null", "w");
    }
    void TearDown() override {
        delete gameWindow;
        gameWindow = nullptr;
        sudoku = nullptr;
        std::fclose(out);
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
    // Key 5 over the table, then the tile dragged onto (r, c) and released.
    void moveTile(int digit, int r, int c) {
        const MousePlace table = at(10.5, 4.5);
        playKey(game, (unsigned char)('0' + digit), table, now, out);
        mouse(kLeftButton, kButtonDown, table);
        drag(cell(r, c));
        mouse(kLeftButton, kButtonUp, cell(r, c));
        now += 1000;
    }
};

TEST_F(PlayTest, DraggedTileEntersItsDigit) {
    playKey(game, '5', at(10.5, 4.5), now, out);
    ASSERT_EQ(board.tiles.size(), 1u);
    EXPECT_EQ(board.tiles[0].digit, 5);
    EXPECT_FLOAT_EQ(board.tiles[0].x, 10.5f);
    EXPECT_EQ(game.currentDigit, 5);

    mouse(kLeftButton, kButtonDown, at(10.6, 4.4));
    EXPECT_EQ(game.play.dragging, 1);
    EXPECT_EQ(board.currentTile, 0);
    playDrag(game, cell(0, 2), now + 100);  // still a held press: the tile stays
    EXPECT_FLOAT_EQ(board.tiles[0].x, 10.5f);
    drag(cell(0, 2));
    EXPECT_FLOAT_EQ(board.tiles[0].x, 2.5f);
    EXPECT_EQ(game.play.dragY, 480 - 200);
    mouse(kLeftButton, kButtonUp, cell(0, 2));
    EXPECT_EQ(board.digitAt(0, 2), 5);
    EXPECT_EQ(board.kindAt(0, 2), Entered);
    EXPECT_TRUE(board.tiles.empty());
    EXPECT_EQ(game.currentDigit, 0);
    EXPECT_EQ(game.play.dragging, 0);
}

TEST_F(PlayTest, ReleaseOnAFilledCellLeavesTileAndBoard) {
    moveTile(4, 0, 0);  // the given 5
    EXPECT_EQ(board.digitAt(0, 0), 5);
    EXPECT_EQ(board.kindAt(0, 0), Given);
    ASSERT_EQ(board.tiles.size(), 1u);
    EXPECT_FLOAT_EQ(board.tiles[0].x, 0.5f);
}

TEST_F(PlayTest, LeftPressRemovesAnEnteredDigitButNotAGivenOne) {
    moveTile(4, 0, 2);
    ASSERT_EQ(board.kindAt(0, 2), Entered);
    game.currentDigit = 7;
    mouse(kLeftButton, kButtonDown, cell(0, 2));
    EXPECT_EQ(board.digitAt(0, 2), 0);
    EXPECT_EQ(game.currentDigit, 0);
    mouse(kLeftButton, kButtonUp, cell(0, 2));
    EXPECT_EQ(board.digitAt(0, 2), 0);  // nothing in hand: nothing entered

    mouse(kLeftButton, kButtonDown, cell(0, 0));
    EXPECT_EQ(board.digitAt(0, 0), 5);
    mouse(kLeftButton, kButtonUp, cell(0, 0));
    EXPECT_EQ(board.digitAt(0, 0), 5);
}

TEST_F(PlayTest, DoublePressDropsTheTileOrInACornerAllTiles) {
    playKey(game, '3', at(10.5, 4.5), now, out);
    playKey(game, '6', at(10.5, -1.5), now, out);
    playKey(game, '7', at(11.5, -2.5), now, out);
    mouse(kLeftButton, kButtonDown, at(10.5, 4.5));
    mouse(kLeftButton, kButtonUp, at(10.5, 4.5));
    mouse(kLeftButton, kButtonDown, at(10.5, 4.5));
    ASSERT_EQ(board.tiles.size(), 2u);
    EXPECT_EQ(game.currentDigit, 0);
    mouse(kLeftButton, kButtonUp, at(10.5, 4.5));
    now += 1000;
    mouse(kLeftButton, kButtonDown, at(10.5, -1.5));
    mouse(kLeftButton, kButtonUp, at(10.5, -1.5));
    mouse(kLeftButton, kButtonDown, at(10.5, -1.5));  // in the lower right corner
    EXPECT_TRUE(board.tiles.empty());
}

TEST_F(PlayTest, ReleaseOutsideTheTableDropsTheTile) {
    playKey(game, '3', at(10.5, 4.5), now, out);
    mouse(kLeftButton, kButtonDown, at(10.5, 4.5));
    drag(at(14.0, 4.5));
    mouse(kLeftButton, kButtonUp, at(14.0, 4.5));
    EXPECT_TRUE(board.tiles.empty());
    EXPECT_EQ(game.currentDigit, 0);

    playKey(game, '3', at(10.5, 4.5), now, out);
    mouse(kLeftButton, kButtonDown, at(10.5, 4.5));
    mouse(kLeftButton, kButtonUp, at(10.5, 4.5, 0, 200));  // on the window's edge
    EXPECT_TRUE(board.tiles.empty());
}

TEST_F(PlayTest, PressAwayFromTheTableAsksForTurning) {
    EXPECT_EQ(mouse(kLeftButton, kButtonDown, at(14.0, 4.5)), kEnterTurning);
    EXPECT_EQ(mouse(kLeftButton, kButtonDown, at(4.5, 4.5, 0, 200)), kEnterTurning);
    EXPECT_EQ(game.play.dragging, 0);
    EXPECT_EQ(mouse(kLeftButton, kButtonDown, at(4.5, 4.5)), kNothingMore);
}

TEST_F(PlayTest, RightPressCyclesTheNoteOfTheTileInHand) {
    playKey(game, '4', at(10.5, 4.5), now, out);
    mouse(kLeftButton, kButtonDown, at(10.5, 4.5));
    mouse(kLeftButton, kButtonUp, at(10.5, 4.5));
    const int expected[] = {NoteGood, NoteBad, NoteUndecided};
    for (int note : expected) {
        mouse(kRightButton, kButtonDown, cell(0, 2));
        EXPECT_EQ(game.play.rightDown, 1);
        mouse(kRightButton, kButtonUp, cell(0, 2));
        EXPECT_EQ(board.noteAt(0, 2, 4), note);
    }
    mouse(kRightButton, kButtonDown, cell(0, 0));  // a filled cell keeps no notes
    EXPECT_EQ(board.noteAt(0, 0, 4), 0);
}

TEST_F(PlayTest, RightPressBesideTheBoardMarksUpWhenSemiautomatic) {
    playKey(game, '4', at(10.5, 4.5), now, out);
    mouse(kLeftButton, kButtonDown, at(10.5, 4.5));
    mouse(kLeftButton, kButtonUp, at(10.5, 4.5));
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

TEST_F(PlayTest, NoteKeysUseTheCurrentDigit) {
    playKey(game, 'g', cell(0, 2), now, out);
    EXPECT_EQ(board.noteAt(0, 2, 0), NoteGood);  // no digit in hand yet
    game.currentDigit = 6;
    playKey(game, 'b', cell(0, 2), now, out);
    EXPECT_EQ(board.noteAt(0, 2, 6), NoteBad);
    playKey(game, '-', cell(0, 2), now, out);
    EXPECT_EQ(board.noteAt(0, 2, 6), NoteUndecided);
}

TEST_F(PlayTest, ClockKeysAndViewRequests) {
    GameClock& clock = game.clock;
    game.turning.count = 3;
    playKey(game, 's', cell(0, 0), 1000, out);
    EXPECT_EQ(game.turning.count, 0);
    playKey(game, 'q', cell(0, 0), 3000, out);
    playKey(game, 'c', cell(0, 0), 8000, out);
    EXPECT_EQ(clock.elapsed(9000), 3000);
    playKey(game, 'c', cell(0, 0), 10000, out);
    EXPECT_EQ(clock.elapsed(10000), 2000);

    EXPECT_EQ(playKey(game, 'f', cell(0, 0), now, out), kFlatView);
    EXPECT_EQ(playKey(game, 'i', cell(0, 0), now, out), kObliqueView);
    EXPECT_EQ(playKey(game, 'x', cell(0, 0), now, out), kNothingMore);
    playKey(game, '+', cell(0, 0), now, out);
    EXPECT_EQ(session.arMode, 0);  // no camera
    EXPECT_EQ(game.quitFlag, 0);
    playKey(game, 27, cell(0, 0), now, out);
    EXPECT_EQ(game.quitFlag, 1);
}

TEST_F(PlayTest, TurningTimeAndReturnsFollowTheMouseMode) {
    game.clock.total = 1000;  // a stopped clock gives fixed times
    game.mouseModeChanged(kPlayMode, kTurningMode, now);
    EXPECT_EQ(game.turning.start, 1000);
    game.clock.total = 4000;
    game.mouseModeChanged(kTurningMode, kTurningMode, now);  // already turning: the start stays
    EXPECT_EQ(game.turning.start, 1000);
    int total = 0, count = 0;
    game.turningUpTo(now, kTurningMode, total, count);  // the turning going on counts up to now
    EXPECT_EQ(total, 3000);
    EXPECT_EQ(count, 1);
    game.mouseModeChanged(kTurningMode, kPlayMode, now);
    EXPECT_EQ(game.turning.total, 3000);
    EXPECT_EQ(game.turning.count, 1);
    game.mouseModeChanged(kPlayMode, kPlayMode, now);
    EXPECT_EQ(game.turning.count, 1);
    game.resetTurning(now);
    EXPECT_EQ(game.turning.total, 0);
    EXPECT_EQ(game.turning.count, 0);
}

TEST_F(PlayTest, MenuOnlyAwayFromBoardAndTable) {
    EXPECT_FALSE(menuWanted(cell(4, 4)));
    EXPECT_FALSE(menuWanted(at(10.5, 4.5)));
    EXPECT_TRUE(menuWanted(at(14.0, 4.5)));
    EXPECT_TRUE(menuWanted(at(4.5, -4.0)));
    gameWindow->mouseMode = kTurningMode;  // the right button shifts the view
    EXPECT_FALSE(menuWanted(at(14.0, 4.5)));
}

TEST_F(PlayTest, WonOnceWhenSolvedWithoutConflicts) {
    char* text = nullptr;
    size_t size = 0;
    FILE* log = open_memstream(&text, &size);
    idleStep(game, stdin, log);
    EXPECT_EQ(game.wonFlag, 0);
    // The known solution of the puzzle.
    const char* solution =
        "534678912672195348198342567859761423426853791713924856961537284287419635345286179";
    for (int i = 0; i < 81; i++) board.setDigit(i / 9, i % 9, solution[i] - '0', Entered);
    board.clearCell(8, 0);
    board.setDigit(8, 0, 1, Entered);  // a conflict
    idleStep(game, stdin, log);
    EXPECT_EQ(game.wonFlag, 0);
    agenda.length = 2;  // a test series: the time goes to its current game
    agenda.current = 1;
    game.clock.total = 75000;
    board.clearCell(8, 0);
    board.setDigit(8, 0, 3, Entered);
    idleStep(game, stdin, log);
    EXPECT_EQ(game.wonFlag, 1);
    EXPECT_EQ(agenda.items[1].done, 1);
    EXPECT_EQ(agenda.items[1].milliseconds, 75000);
    game.clock.resume(tickCount());  // the won game's clock is held
    idleStep(game, stdin, log);
    EXPECT_EQ(game.clock.running, 0);
    playKey(game, 'c', cell(0, 0), now, out);
    EXPECT_EQ(game.clock.running, 0);
    game.clock.total = 99000;
    board.clearCell(8, 0);
    board.setDigit(8, 0, 3, Entered);
    idleStep(game, stdin, log);  // solved again: recorded once
    EXPECT_EQ(agenda.items[1].milliseconds, 75000);
    std::fclose(log);
    EXPECT_EQ(size, 0u);
    std::free(text);
}

TEST_F(PlayTest, CountdownAsksForTheNextFreeGame) {
    const std::string cwd = std::filesystem::current_path();
    ASSERT_EQ(chdir(TABRELO_DATA), 0);
    char* text = nullptr;
    size_t size = 0;
    FILE* log = open_memstream(&text, &size);
    std::string answers = "0\n0\n";
    FILE* in = fmemopen((void*)answers.data(), answers.size(), "r");
    game.wonFlag = 1;
    game.turning.count = 2;
    game.newGameIdleTurns = 1;
    for (int i = 0; i < 3; i++) EXPECT_EQ(idleStep(game, in, log), 0);
    EXPECT_EQ(idleStep(game, in, log), 1);
    EXPECT_EQ(game.newGameIdleTurns, 0);
    std::fclose(log);
    const std::string printed(text, size);
    std::free(text);
    std::fclose(in);
    ASSERT_EQ(chdir(cwd.c_str()), 0);
    EXPECT_NE(printed.find("gridno = 0\n"), std::string::npos);
    EXPECT_NE(printed.find("sudoku-grids/g0.txt, permutation 0\n"), std::string::npos);
    EXPECT_EQ(game.wonFlag, 0);
    EXPECT_EQ(game.turning.count, 0);
    EXPECT_EQ(game.clock.running, 1);
    EXPECT_EQ(board.countEmptyCells(), 51);
    EXPECT_NE(std::string(session.windowTitle).find("Puzzle 0"), std::string::npos);
}

}  // namespace

namespace {

Tile tileAt(float x, float y, int digit, int angle) {
    Tile t;
    t.x = x;
    t.y = y;
    t.digit = digit;
    t.angle = angle;
    return t;
}

// The shipped tile scene through the camera step, the hand-over and the tile
// moves: its 5 slides onto the empty cell (3, 8) and enters there once.
TEST(CameraTiles, TheSlidingTileOfTheSceneEntersItsDigitOnce) {
    ASSERT_EQ(chdir(TABRELO_DATA), 0);
    Sudoku board;
    ASSERT_EQ(readPuzzle(board, "sudoku-grids/g1.txt"), 1);
    permute(board);
    const int emptyBefore = board.countEmptyCells();
    SceneDescription scene;
    ASSERT_EQ(readSceneFile("scenes/tiles.scene", scene), 1);
    SyntheticCamera source;
    ASSERT_EQ(source.open(scene), 1);
    CameraState c;
    GridVision vision;
    FILE* out = std::tmpfile();
    setUpImages(c, vision, cv::Size(scene.width, scene.height), out);
    c.useMouse = 0;
    c.board = &board;
    int entries = 0;
    for (int frame = 0; frame < scene.frames + 5; frame++) {
        cv::Mat colour;
        source.render(frame, colour);
        takeLiveFrame(c, colour);
        workOnFrame(c, vision, out);
        if (vision.tiles.handOverPending) board.replaceTiles(vision.tiles.list);
        vision.tiles.handOverPending = 0;
        const int before = board.digitAt(3, 8);
        cameraTilesToBoard(board, out);
        entries += before != board.digitAt(3, 8);
    }
    std::fclose(out);
    EXPECT_EQ(entries, 1);
    EXPECT_EQ(board.digitAt(3, 8), 5);
    EXPECT_EQ(board.kindAt(3, 8), Entered);
    EXPECT_EQ(board.countEmptyCells(), emptyBefore - 1);
    EXPECT_EQ(board.rowCounters[3].count[5], 1);
    EXPECT_EQ(board.columnCounters[8].count[5], 1);
    EXPECT_EQ(board.countConflicts(), 0);
}

TEST(CameraTiles, OnlyStraightTilesInTheMiddleOfACellEnterDigits) {
    Sudoku board;
    char* text = nullptr;
    size_t size = 0;
    FILE* out = open_memstream(&text, &size);
    // Cell (0, 2) covers x 2..3, y 8..9.
    board.replaceTiles({tileAt(2.3f, 8.5f, 4, 0), tileAt(2.5f, 8.5f, 4, 10),
                        tileAt(5.5f, 3.5f, 6, 357), tileAt(7.5f, 0.5f, 2, 3)});
    board.currentTile = 0;
    cameraTilesToBoard(board, out);
    EXPECT_EQ(board.digitAt(0, 2), 0);  // off the middle, or turned by 10 degrees
    EXPECT_EQ(board.digitAt(5, 5), 6);
    EXPECT_EQ(board.kindAt(5, 5), Entered);
    EXPECT_EQ(board.digitAt(8, 7), 2);
    // Each entry dropped the current tile: the first two tiles.
    ASSERT_EQ(board.tiles.size(), 2u);
    EXPECT_EQ(board.tiles[0].angle, 357);
    EXPECT_EQ(size, 0u);  // nothing printed at the normal debug level

    camera.debugLevel = 2;
    board.replaceTiles({tileAt(5.5f, 3.5f, 0, 0)});
    board.currentTile = 0;
    cameraTilesToBoard(board, out);
    camera.debugLevel = 1;
    EXPECT_EQ(board.digitAt(5, 5), 0);  // a blank tile takes the entry back
    EXPECT_TRUE(board.tiles.empty());
    std::fclose(out);
    EXPECT_EQ(std::string(text, size), "    tile 0 at pos [x=5.5, y=3.5] with rotangle 0\n");
    std::free(text);
}

}  // namespace
