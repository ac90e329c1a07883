// What a researcher gets from the real program: the event log of a scripted
// game and its rows after a kill in the next session, and the pilot check of
// a series.
#include "GameProgram.h"

#include "Csv.h"
#include "SessionSettings.h"

#include <signal.h>

#include <array>

namespace {

typedef std::vector<std::vector<std::string>> Rows;

Rows eventRows(const std::string& path) {
    Rows rows = parseCsv(readFile(path));
    if (!rows.empty()) rows.erase(rows.begin());
    return rows;
}

// event, row, col, digit, detail (a prefix of it).
typedef std::vector<std::array<std::string, 5>> Expected;

using ResearchProgramTest = ProgramTest;

TEST_F(ResearchProgramTest, EventLogListsTheScriptedActionsInOrder) {
    const std::string player = "eve, \"the\" tester";
    GameProgram game("events", player + "\n\n0\n\n");
    runCommand("mkdir -p '" + game.folder + "/Tests'");
    std::ofstream(game.folder + "/sudoku-grids/g0.txt") << nearlySolved({0, 21, 40, 58, 80});
    const ShownPuzzle p = shownPuzzle(game.folder + "/sudoku-grids/g0.txt");
    const std::string path = game.folder + "/Tests/" + agendaFileStem(player) + "-events.csv";
    ASSERT_TRUE(game.start());
    Expected expected = {{"session_start", "", "", "", "20"},
                         {"game_start", "", "", "", "show_AR=1 show_colored=1 show_3D=1"}};
    auto step = [&](const std::string& commands, const Expected& more) {
        game.xdo(commands);
        expected.insert(expected.end(), more.begin(), more.end());
        return waitUntil([&] { return eventRows(path).size() >= expected.size(); }, 8000);
    };
    const int a = p.empty[0], b = p.empty[1], c = p.empty[2];
    auto cell = [](int i) { return std::array<std::string, 2>{std::to_string(i / 9), std::to_string(i % 9)}; };
    // A digit that clashes in cell b: the one of the next cell in its row.
    const int clash = p.clash(b);
    const std::string da = std::to_string(p.solution[a]), db = std::to_string(clash);
    ASSERT_TRUE(step(game.moveTo(10.5, 4.5) + "key f key s", {{"view_changed", "", "", "", "flat"},
                                                             {"clock_started", "", "", "", ""}}));
    game.dragTile(p.solution[a], a / 9, a % 9);
    ASSERT_TRUE(step("", {{"tile_put_down", "", "", da, ""},
                          {"tile_picked_up", "", "", da, ""},
                          {"digit_entered", cell(a)[0], cell(a)[1], da, ""}}));
    game.dragTile(clash, b / 9, b % 9);
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
    EXPECT_NE(text.find(",\"eve, \"\"the\"\" tester\",,0,0,0,session_start,"), std::string::npos);
    const Rows rows = eventRows(path);
    ASSERT_EQ(rows.size(), expected.size());
    for (size_t i = 0; i < rows.size(); i++) {
        ASSERT_EQ(rows[i].size(), 11u) << i;
        const std::array<std::string, 5> got = {rows[i][6], rows[i][7], rows[i][8], rows[i][9],
                                                rows[i][10].substr(0, expected[i][4].size())};
        EXPECT_EQ(got, expected[i]) << i;
    }
    for (size_t i = 1; i < rows.size(); i++) {
        EXPECT_LE(std::stol(rows[i - 1][0]), std::stol(rows[i][0])) << i;
        EXPECT_EQ(rows[i][3], "1");
    }
    EXPECT_GT(std::stol(rows.back()[0]), std::stol(rows[2][0]));

    // Killed in the middle of the next session's game, the log keeps every
    // row it had shown and ends with a whole row.
    ASSERT_TRUE(game.start());
    game.xdo(game.moveTo(10.5, 4.5) + "key f");
    ASSERT_TRUE(waitUntil([&] { return eventRows(path).size() == rows.size() + 3; }, 8000));  // up to view_changed
    const Rows before = eventRows(path);
    game.xdo(game.moveTo(10.5, 4.5) + "key s key q key c key s key q key c key s key q key c");
    kill(game.pid, SIGKILL);
    ASSERT_TRUE(game.exited(5000));
    ASSERT_FALSE(readFile(path).empty());
    EXPECT_EQ(readFile(path).back(), '\n');
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

// The pilot check of the series "Tests/demo", written as `config` in a
// scratch folder holding puzzle 1; its printout, the exit status last. It
// must write no file.
std::string pilot(const std::string& config, const std::string& series = "Tests/demo") {
    const std::string folder = std::string(TABRELO_BUILD) + "/game-runs/pilot";
    runCommand("rm -rf '" + folder + "' && mkdir -p '" + folder + "/sudoku-grids' '" + folder +
               "/Tests/demo' && cp '" TABRELO_DATA "/sudoku-grids/g1.txt' '" + folder + "/sudoku-grids/'");
    std::ofstream(folder + "/Tests/demo/config.xml") << config;
    const std::string listing = "cd '" + folder + "' && ls -lR --time-style=full-iso";
    const std::string before = runCommand(listing);
    const std::string out = runCommand("cd '" + folder + "' && " TABRELO_BUILD "/app/tabrelo --pilot " +
                                       series + "; echo \"status=$?\"");
    EXPECT_EQ(runCommand(listing), before) << "the pilot wrote a file";
    return out;
}

TEST(PilotCheck, BrokenSeriesNameEachProblem) {
    const std::string base =
        seriesConfig("<GRID vals=\"1\" val0=\"1\"/><PERMUTATION vals=\"1\" val0=\"0\"/>");
    std::string sixtyOne = "<GRID vals=\"61\"";
    for (int i = 0; i < 61; i++) sixtyOne += " val" + std::to_string(i) + "=\"1\"";
    const struct {
        const char* from;
        std::string to;
        std::vector<std::string> named;
    } kCases[] = {
        {"show_colored", "show_colour", {"show_colour", "show_colored"}},
        {"show_3D val=\"0\"", "show_3D val=\"yes\"", {"show_3D", "yes"}},
        {"</LOOP>", "<COLOR vals=\"2\" val0=\"1\" val1=\"2\"/></LOOP>", {"COLOR", "val1"}},
        {"</LOOP>", "<COLOUR vals=\"1\" val0=\"1\"/></LOOP>", {"COLOUR", "COLOR"}},
        {"GRID vals=\"1\" val0=\"1\"", "GRID vals=\"1\" val0=\"777\"", {"777", "sudoku-grids/g777.txt"}},
        {"PERMUTATION vals=\"1\" val0=\"0\"", "PERMUTATION vals=\"1\" val0=\"13\"", {" 13 "}},
        {"<show_markup val=\"1\" modifiable=\"1\"/>", "", {"show_markup"}},
        {"<GRID vals=\"1\" val0=\"1\"", sixtyOne, {"61"}},
    };
    for (const auto& c : kCases) {
        std::string config = base;
        config.replace(config.find(c.from), std::strlen(c.from), c.to);
        const std::string out = pilot(config);
        ASSERT_NE(out.rfind("\n\n"), std::string::npos) << out;
        EXPECT_EQ(out.substr(out.rfind("status=")), "status=2\n") << c.to;
        const std::string problems = out.substr(out.rfind("\n\n"));
        for (const std::string& name : c.named)
            EXPECT_NE(problems.find(name), std::string::npos) << name << "\n" << out;
    }
    const std::string missing = pilot(base, "Tests/none");
    EXPECT_EQ(missing.substr(missing.rfind("status=")), "status=2\n");
    EXPECT_NE(missing.find("Tests/none/config.xml"), std::string::npos);
}

}  // namespace
