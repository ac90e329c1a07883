// What a researcher gets from the real program: the event log of a scripted
// game, its rows after a kill, the report of a series played by three
// scripted participants, and the pilot check of a series.
#include "GameProgram.h"

#include "Agenda.h"
#include "Csv.h"
#include "PuzzleFile.h"
#include "Solver.h"

#include <signal.h>

#include <map>
#include <vector>

namespace {

typedef std::vector<std::vector<std::string>> Rows;

// Waits, polling, until the test holds; false after ms.
template <class Test>
bool waitFor(Test test, int ms = 8000) {
    for (int waited = 0;; waited += 20) {
        if (test()) return true;
        if (waited >= ms) return false;
        pause(20);
    }
}

// A puzzle solved but for five cells, and its solution, as the program
// shows it under permutation 0.
struct NearlySolved {
    std::string text;
    int solution[81];
    std::vector<int> empty;
};

NearlySolved nearlySolved() {
    Sudoku board;
    readPuzzle(board, TABRELO_DATA "/sudoku-grids/g1.txt");
    int grid[81];
    NearlySolved p;
    gridOf(board, grid);
    countSolutions(grid, 2, p.solution);
    p.empty = {0, 21, 40, 58, 80};
    p.text = "9 9\n";
    for (int i = 0; i < 81; i++) {
        const bool blank = std::find(p.empty.begin(), p.empty.end(), i) != p.empty.end();
        p.text += std::to_string(blank ? 0 : p.solution[i]) + (i % 9 == 8 ? "\n" : " ");
    }
    p.text += "difficulty : easy\n";
    return p;
}

// A digit that clashes in cell i: the one of the next cell in its row.
int clashing(const NearlySolved& p, int i) { return p.solution[i / 9 * 9 + (i % 9 + 1) % 9]; }

Rows eventRows(const std::string& path) {
    Rows rows = parseCsv(readFile(path));
    if (!rows.empty()) rows.erase(rows.begin());
    return rows;
}

// event, row, col, digit, detail (a prefix of it).
typedef std::vector<std::array<std::string, 5>> Expected;

void expectEvents(const Rows& rows, const Expected& expected) {
    ASSERT_EQ(rows.size(), expected.size());
    for (size_t i = 0; i < rows.size(); i++) {
        ASSERT_EQ(rows[i].size(), 11u) << i;
        EXPECT_EQ(rows[i][6], expected[i][0]) << i;
        EXPECT_EQ(rows[i][7], expected[i][1]) << i << " " << rows[i][6];
        EXPECT_EQ(rows[i][8], expected[i][2]) << i << " " << rows[i][6];
        EXPECT_EQ(rows[i][9], expected[i][3]) << i << " " << rows[i][6];
        EXPECT_EQ(rows[i][10].substr(0, expected[i][4].size()), expected[i][4]) << i;
    }
}

class ResearchProgramTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static XvfbDisplay display;
        ASSERT_TRUE(display.ok());
    }
};

TEST_F(ResearchProgramTest, EventLogListsTheScriptedActionsInOrder) {
    GameProgram game("events", "eve, \"the\" tester\n\n0\n\n");
    runCommand("mkdir -p '" + game.folder + "/Tests'");
    const NearlySolved p = nearlySolved();
    game.writePuzzle(0, p.text);
    const std::string path = game.folder + "/Tests/eve, _the_ tester-events.csv";
    ASSERT_TRUE(game.start());
    Expected expected = {{"session_start", "", "", "", "20"},
                         {"game_start", "", "", "", "show_AR=1 show_colored=1 show_3D=1"}};
    auto step = [&](const std::string& commands, const Expected& more) {
        game.xdo(commands);
        expected.insert(expected.end(), more.begin(), more.end());
        return waitFor([&] { return eventRows(path).size() >= expected.size(); });
    };
    const int a = p.empty[0], b = p.empty[1], c = p.empty[2];
    auto cell = [](int i) { return std::array<std::string, 2>{std::to_string(i / 9), std::to_string(i % 9)}; };
    const std::string da = std::to_string(p.solution[a]), db = std::to_string(clashing(p, b));
    ASSERT_TRUE(step(game.moveTo(10.5, 4.5) + "key f key s", {{"view_changed", "", "", "", "flat"},
                                                             {"clock_started", "", "", "", ""}}));
    game.dragTile(p.solution[a], a / 9, a % 9);
    ASSERT_TRUE(step("", {{"tile_put_down", "", "", da, ""},
                          {"tile_picked_up", "", "", da, ""},
                          {"digit_entered", cell(a)[0], cell(a)[1], da, ""}}));
    game.dragTile(clashing(p, b), b / 9, b % 9);
    ASSERT_TRUE(step("sleep 0.4 " + game.moveTo(b % 9 + 0.5, 8.5 - b / 9) + "click 1 " +
                         game.moveTo(c % 9 + 0.5, 8.5 - c / 9) + "key g key q key c",
                     {{"tile_put_down", "", "", db, ""},
                      {"tile_picked_up", "", "", db, ""},
                      {"digit_entered", cell(b)[0], cell(b)[1], db, "conflict"},
                      {"digit_removed", cell(b)[0], cell(b)[1], db, ""},
                      {"note_set", cell(c)[0], cell(c)[1], "0", "good"},
                      {"clock_stopped", "", "", "", "clock_ms="},
                      {"clock_continued", "", "", "", "clock_ms="}}));
    ASSERT_TRUE(game.chooseMenuEntry(17));  // overview panes
    ASSERT_TRUE(game.chooseMenuEntry(6));   // remember
    ASSERT_TRUE(game.chooseMenuEntry(7));   // back
    ASSERT_TRUE(step(game.moveTo(4.5, 4.5) + "key Escape",
                     {{"feature_switched", "", "", "", "show_overviews=0 menu"},
                      {"board_remembered", "", "", "", "depth=1"},
                      {"board_taken_back", "", "", "", "depth=0"},
                      {"quit", "", "", "", "clock_ms="},
                      {"session_end", "", "", "", ""}}));
    ASSERT_TRUE(game.exited(5000));

    const std::string text = readFile(path);
    EXPECT_EQ(text.substr(0, text.find('\n') + 1),
              "time_ms,player,test,game,grid,permutation,event,row,col,digit,detail\n");
    EXPECT_NE(text.find("\n0,\"eve, \"\"the\"\" tester\",,0,0,0,session_start,"), std::string::npos);
    const Rows rows = eventRows(path);
    expectEvents(rows, expected);
    for (size_t i = 1; i < rows.size(); i++) {
        EXPECT_LE(std::stol(rows[i - 1][0]), std::stol(rows[i][0])) << i;
        EXPECT_EQ(rows[i][3], "1");
    }
    EXPECT_GT(std::stol(rows.back()[0]), std::stol(rows[2][0]));
}

// Killed in the middle of a game, the log keeps every row it had shown and
// ends with a whole row.
TEST_F(ResearchProgramTest, KilledGameLeavesWholeRows) {
    GameProgram game("events-kill", "kim\n\n0\n\n");
    runCommand("mkdir -p '" + game.folder + "/Tests'");
    const NearlySolved p = nearlySolved();
    game.writePuzzle(0, p.text);
    const std::string path = game.folder + "/Tests/kim-events.csv";
    ASSERT_TRUE(game.start());
    game.xdo(game.moveTo(10.5, 4.5) + "key f");
    for (int i : {p.empty[0], p.empty[1]}) game.dragTile(p.solution[i], i / 9, i % 9);
    ASSERT_TRUE(waitFor([&] { return eventRows(path).size() == 9; }));
    const Rows before = eventRows(path);
    game.xdo(game.moveTo(10.5, 4.5) + "key s key q key c key s key q key c key s key q key c");
    kill(game.pid, SIGKILL);
    ASSERT_TRUE(game.exited(5000));
    const std::string text = readFile(path);
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text.back(), '\n');
    const Rows after = eventRows(path);
    ASSERT_GE(after.size(), before.size());
    const char* const clock[] = {"clock_started", "clock_stopped", "clock_continued"};
    for (size_t i = 0; i < after.size(); i++) {
        EXPECT_EQ(after[i].size(), 11u) << i;
        if (i < before.size())
            EXPECT_EQ(after[i], before[i]) << i;
        else
            EXPECT_EQ(after[i][6], clock[(i - before.size()) % 3]) << i;
    }
}

}  // namespace
