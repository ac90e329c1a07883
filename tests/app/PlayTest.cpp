// The idle step's won check and free-game countdown, and the entries of tiles
// the camera sees.
#include "CameraGame.h"
#include "Play.h"
#include "PuzzleFile.h"
#include "Shell.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>

namespace {

class PlayTest : public ::testing::Test {
protected:
    Sudoku board;
    GridStack stack;

    void SetUp() override {
        ASSERT_TRUE(readPuzzle(board, TABRELO_DATA "/sudoku-grids/g0.txt"));
        session = SessionSettings();
        sudoku = &board;
        gridStack = &stack;
        gameWindow = new GameWindow(session);
        currentDigit = 0;
        quitFlag = wonFlag = newGameCountdown = 0;
        agenda = Agenda();
    }
    void TearDown() override {
        delete gameWindow;
        gameWindow = nullptr;
        sudoku = nullptr;
    }
};

TEST_F(PlayTest, WonOnceWhenSolvedWithoutConflicts) {
    char* text = nullptr;
    size_t size = 0;
    FILE* log = open_memstream(&text, &size);
    idleStep(stdin, log);
    EXPECT_EQ(wonFlag, 0);
    // The known solution of the puzzle.
    const char* solution =
        "534678912672195348198342567859761423426853791713924856961537284287419635345286179";
    for (int i = 0; i < 81; i++) board.setDigit(i / 9, i % 9, solution[i] - '0', Entered);
    board.clearCell(8, 0);
    board.setDigit(8, 0, 1, Entered);  // a conflict
    idleStep(stdin, log);
    EXPECT_EQ(wonFlag, 0);
    agenda.length = 2;  // a test series: the time goes to its current game
    agenda.current = 1;
    gameWindow->clock.total = 75000;
    board.clearCell(8, 0);
    board.setDigit(8, 0, 3, Entered);
    idleStep(stdin, log);
    EXPECT_EQ(wonFlag, 1);
    EXPECT_EQ(agenda.items[1].done, 1);
    EXPECT_EQ(agenda.items[1].milliseconds, 75000);
    gameWindow->clock.total = 99000;
    board.clearCell(8, 0);
    board.setDigit(8, 0, 3, Entered);
    idleStep(stdin, log);  // solved again: recorded once
    EXPECT_EQ(agenda.items[1].milliseconds, 75000);
    std::fclose(log);
    EXPECT_EQ(size, 0u);
    std::free(text);
}

// A free next game is asked for at the fifth idle step; none is pending after it.
TEST_F(PlayTest, CountdownAsksForTheNextFreeGameOnce) {
    ASSERT_EQ(chdir(TABRELO_DATA), 0);
    std::string answers = "0\n0\n";
    FILE* in = fmemopen((void*)answers.data(), answers.size(), "r");
    FILE* out = std::fopen("/dev/null", "w");
    newGameCountdown = 1;
    int begun = 0;
    for (int i = 0; i < 4; i++) begun += idleStep(in, out);
    std::fclose(in);
    std::fclose(out);
    EXPECT_EQ(begun, 1);
    EXPECT_EQ(newGameCountdown, 0);
}

Tile tileAt(float x, float y, int digit, int angle) {
    Tile t;
    t.x = x;
    t.y = y;
    t.digit = digit;
    t.angle = angle;
    return t;
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
