// What a researcher gets from the real program: the event log of a scripted
// game, its rows after a kill, the report of a series played by two
// scripted participants, and the pilot check of a series.
#include "GameProgram.h"

#include "Agenda.h"
#include "Csv.h"
#include "SessionSettings.h"

#include <signal.h>

#include <array>
#include <vector>

namespace {

typedef std::vector<std::vector<std::string>> Rows;

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
        const std::array<std::string, 5> got = {rows[i][6], rows[i][7], rows[i][8], rows[i][9],
                                                rows[i][10].substr(0, expected[i][4].size())};
        EXPECT_EQ(got, expected[i]) << i;
    }
}

// A drag well apart from the last press: a loaded program takes its events
// late and in bursts, which could make two presses a double press.
void drag(GameProgram& game, int digit, int i) {
    game.xdo("sleep 0.35");
    game.dragTile(digit, i / 9, i % 9);
}

class ResearchProgramTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static XvfbDisplay display;
        ASSERT_TRUE(display.ok());
    }
};

TEST_F(ResearchProgramTest, EventLogListsTheScriptedActionsInOrder) {
    const std::string player = "eve, \"the\" tester";
    GameProgram game("events", player + "\n\n0\n\n");
    runCommand("mkdir -p '" + game.folder + "/Tests'");
    const NearlySolved p = nearlySolved();
    game.writePuzzle(0, p.text);
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
    const std::string da = std::to_string(p.solution[a]), db = std::to_string(clashing(p, b));
    ASSERT_TRUE(step(game.moveTo(10.5, 4.5) + "key f key s", {{"view_changed", "", "", "", "flat"},
                                                             {"clock_started", "", "", "", ""}}));
    drag(game, p.solution[a], a);
    ASSERT_TRUE(step("", {{"tile_put_down", "", "", da, ""},
                          {"tile_picked_up", "", "", da, ""},
                          {"digit_entered", cell(a)[0], cell(a)[1], da, ""}}));
    drag(game, clashing(p, b), b);
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
    for (int i : {p.empty[0], p.empty[1]}) drag(game, p.solution[i], i);
    ASSERT_TRUE(waitUntil([&] { return eventRows(path).size() == 9; }, 8000));
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

// The pilot check, run in a scratch folder holding puzzles 1 and 63 and the
// demo series; answers the printout and the exit status.
struct Pilot {
    std::string folder = std::string(TABRELO_BUILD) + "/game-runs/pilot";
    std::string out;
    int status = -1;

    Pilot() {
        runCommand("rm -rf '" + folder + "' && mkdir -p '" + folder + "/sudoku-grids' '" + folder +
                   "/Tests' && cp '" TABRELO_DATA "/sudoku-grids/g1.txt' '" TABRELO_DATA
                   "/sudoku-grids/g63.txt' '" + folder + "/sudoku-grids/' && cp -r '" TABRELO_DATA
                   "/Tests/demo' '" + folder + "/Tests/'");
    }
    std::string listing() { return runCommand("cd '" + folder + "' && ls -lR --time-style=full-iso"); }
    void run(const std::string& arguments) {
        const std::string before = listing();
        out = runCommand("cd '" + folder + "' && " TABRELO_BUILD "/app/tabrelo --pilot " + arguments +
                         "; echo \"status=$?\"");
        EXPECT_EQ(listing(), before) << "the pilot wrote a file";
        const size_t at = out.rfind("status=");
        status = std::atoi(out.c_str() + at + 7);
    }
    // The games in each participant's order, as "grid/permutation/colour".
    std::vector<std::vector<std::string>> orders() const {
        std::vector<std::vector<std::string>> result;
        std::istringstream lines(out);
        for (std::string line; std::getline(lines, line);) {
            int n, grid, permutation, colored = -1;
            if (line.rfind("Participant ", 0) == 0) result.emplace_back();
            if (std::sscanf(line.c_str(), " %d. grid %d, permutation %d, show_colored %d", &n, &grid,
                            &permutation, &colored) >= 3 && !result.empty())
                result.back().push_back(std::to_string(grid) + "/" + std::to_string(permutation) +
                                        "/" + std::to_string(colored));
        }
        return result;
    }
};

TEST(PilotCheck, BrokenSeriesNameEachProblem) {
    const std::string base =
        "<PARAMS><CONFIG><show_AR val=\"0\"/><show_colored val=\"1\"/><show_3D val=\"1\"/>"
        "<show_repulsive val=\"1\"/><show_attractive val=\"1\"/><show_overviews val=\"0\"/>"
        "<show_markup val=\"1\"/><show_evaluate val=\"1\"/></CONFIG>"
        "<LOOP><GRID vals=\"1\" val0=\"1\"/><PERMUTATION vals=\"1\" val0=\"0\"/></LOOP></PARAMS>";
    std::string sixtyOne = "<GRID vals=\"61\"";
    for (int i = 0; i < 61; i++) sixtyOne += " val" + std::to_string(i) + "=\"1\"";
    const struct {
        const char* from;
        std::string to;
        std::vector<std::string> named;
    } kCases[] = {
        {"show_colored", "show_colour", {"show_colour", "show_colored"}},
        {"show_3D val=\"1\"", "show_3D val=\"yes\"", {"show_3D", "yes"}},
        {"</LOOP>", "<COLOR vals=\"2\" val0=\"1\" val1=\"2\"/></LOOP>", {"COLOR", "val1"}},
        {"</LOOP>", "<COLOUR vals=\"1\" val0=\"1\"/></LOOP>", {"COLOUR", "COLOR"}},
        {"val0=\"1\"/><PERM", "val0=\"777\"/><PERM", {"777", "sudoku-grids/g777.txt"}},
        {"PERMUTATION vals=\"1\" val0=\"0\"", "PERMUTATION vals=\"1\" val0=\"13\"", {" 13 "}},
        {"<show_markup val=\"1\"/>", "", {"show_markup"}},
        {"<GRID vals=\"1\" val0=\"1\"", sixtyOne, {"61"}},
    };
    for (const auto& c : kCases) {
        Pilot pilot;
        std::string config = base;
        config.replace(config.find(c.from), std::strlen(c.from), c.to);
        std::ofstream(pilot.folder + "/Tests/demo/config.xml") << config;
        pilot.run("Tests/demo");
        EXPECT_EQ(pilot.status, 2) << c.to;
        const std::string problems = pilot.out.substr(pilot.out.rfind("\n\n"));
        for (const std::string& name : c.named)
            EXPECT_NE(problems.find(name), std::string::npos) << name << "\n" << pilot.out;
    }
    Pilot missing;
    missing.run("Tests/none");
    EXPECT_EQ(missing.status, 2);
    EXPECT_NE(missing.out.find("Tests/none/config.xml"), std::string::npos);
}

const char* const kSeries =
    "<PARAMS><CONFIG><show_AR val=\"0\" modifiable=\"0\"/><show_colored val=\"1\" modifiable=\"1\"/>"
    "<show_3D val=\"0\" modifiable=\"0\"/><show_repulsive val=\"1\" modifiable=\"1\"/>"
    "<show_attractive val=\"1\" modifiable=\"1\"/><show_overviews val=\"0\" modifiable=\"1\"/>"
    "<show_markup val=\"1\" modifiable=\"1\"/><show_evaluate val=\"1\" modifiable=\"1\"/></CONFIG>"
    "<LOOP><GRID vals=\"1\" val0=\"7\"/><PERMUTATION vals=\"1\" val0=\"0\"/>"
    "<COLOR vals=\"2\" val0=\"1\" val1=\"0\"/></LOOP></PARAMS>";

// What a scripted participant does in each of the two games: the cells
// filled (a clash first and taken back in `wrong` of them), whether the
// game is left with Next game or with Esc.
struct Script {
    const char* name;
    int filled[2];
    int wrong[2];
    bool nextAfter[2];
};

TEST_F(ResearchProgramTest, ReportOfTwoScriptedParticipants) {
    const NearlySolved p = nearlySolved();
    const Script kScripts[] = {
        {"ann", {5, 5}, {1, 0}, {true, true}},   // both won; the last Next game ends the series
        {"cat", {1, 2}, {0, 1}, {true, false}},  // moves on unsolved, then quits in the middle
    };
    const std::string test = std::string(TABRELO_BUILD) + "/game-runs/report-series";
    runCommand("rm -rf '" + test + "' && mkdir -p '" + test + "'");
    std::ofstream(test + "/config.xml") << kSeries;
    for (const Script& s : kScripts) {
        GameProgram game(std::string("report-") + s.name, std::string(s.name) + "\nstudy\n");
        runCommand("mkdir -p '" + game.folder + "/Tests' && ln -s '" + test + "' '" + game.folder + "/Tests/study'");
        game.writePuzzle(7, p.text);
        const std::string events = test + "/" + s.name + "-events.csv";
        auto count = [&](const char* event) {
            int n = 0;
            for (const auto& row : eventRows(events)) n += row[6] == event;
            return n;
        };
        ASSERT_TRUE(game.start());
        for (int g = 0; g < 2; g++) {
            for (int k = 0; k < s.filled[g]; k++) {
                const int i = p.empty[k];
                if (k < s.wrong[g]) {
                    const int removed = count("digit_removed");
                    drag(game, clashing(p, i), i);
                    // Pauses around the click keep the presses from making double presses.
                    game.xdo("sleep 0.4 " + game.moveTo(i % 9 + 0.5, 8.5 - i / 9) + "click 1 sleep 0.35");
                    ASSERT_TRUE(waitUntil([&] { return count("digit_removed") > removed; }, 8000));
                }
                const int entered = count("digit_entered");
                drag(game, p.solution[i], i);
                ASSERT_TRUE(waitUntil([&] { return count("digit_entered") > entered; }, 8000));
            }
            if (s.filled[g] == 5) {
                ASSERT_TRUE(waitUntil([&] { return count("won") == g + 1 - (s.name[0] == 'c'); }, 8000));
            }
            if (!s.nextAfter[g]) {
                game.xdo(game.moveTo(4.5, 4.5) + "key Escape");
                break;
            }
            ASSERT_TRUE(game.chooseMenuEntry(1));
            ASSERT_TRUE(waitUntil([&] { return count("game_start") == g + 2 || count("session_end") > 0; }, 8000));
        }
        ASSERT_TRUE(game.exited(5000)) << s.name;
    }

    const std::string run = runCommand(TABRELO_BUILD "/tools/tabrelo-report '" + test + "'; echo \"status=$?\"");
    ASSERT_NE(run.find("status=0"), std::string::npos) << run;
    Rows games = parseCsv(readFile(test + "/report/games.csv"));
    ASSERT_EQ(games.size(), 5u);
    const std::vector<std::string>& header = games[0];
    auto column = [&](const char* name) { return std::find(header.begin(), header.end(), name) - header.begin(); };
    size_t row = 1;
    for (const Script& s : kScripts) {
        Agenda agenda;
        ASSERT_EQ(agenda.read((test + "/" + s.name + ".xml").c_str()), 2);
        for (int g = 0; g < 2; g++, row++) {
            const std::vector<std::string>& r = games.at(row);
            const bool won = s.filled[g] == 5;
            EXPECT_EQ(r[column("player")], s.name);
            EXPECT_EQ(r[column("game")], std::to_string(g + 1));
            EXPECT_EQ(r[column("grid")], "7");
            EXPECT_EQ(r[column("difficulty")], "easy");
            EXPECT_EQ(r[column("permutation")], "0");
            EXPECT_EQ(r[column("moves")], std::to_string(s.filled[g] + s.wrong[g])) << s.name << g;
            EXPECT_EQ(r[column("removals")], std::to_string(s.wrong[g]));
            EXPECT_EQ(r[column("errors")], std::to_string(s.wrong[g]));
            EXPECT_EQ(r[column("won")], won ? "1" : "0");
            const long ms = std::stol(r[column("solving_ms")]);
            if (won) {
                bool recorded = false;
                for (int i = 0; i < 2; i++)
                    recorded |= agenda.items[i].done && std::abs(agenda.items[i].milliseconds - ms) <= 40;
                EXPECT_TRUE(recorded) << s.name << " " << ms;
            }
        }
    }

    // The page stands alone and draws its charts.
    const std::string html = readFile(test + "/report/index.html");
    EXPECT_EQ(html.find("<script"), std::string::npos);
    EXPECT_EQ(html.find("src="), std::string::npos);
    EXPECT_NE(html.find("<svg class=\"chart\""), std::string::npos);
}

}  // namespace
