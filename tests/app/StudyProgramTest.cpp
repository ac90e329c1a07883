// A whole user study through the real program: a test folder with a two-game
// series, a player who takes back a clash, solves, moves on with the popup
// menu, quits, comes back and finishes, and the report of her first session;
// and a free game's menu: remembered boards, automatic markup and the next
// game.
#include "GameProgram.h"

#include "Agenda.h"
#include "Csv.h"

namespace {

// Menu positions.
const int kNextGame = 1, kQuit = 3, kPush = 6, kPop = 7, kAutomaticMarkup = 15;

// Digits drawn in colour: far from grey.
bool colourful(const cv::Vec3b& p) {
    return std::max({p[0], p[1], p[2]}) - std::min({p[0], p[1], p[2]}) > 100;
}

const cv::Rect kBoard(GameProgram::flatPosition(0, 9), GameProgram::flatPosition(9, 0));

// Whether the board is drawn in colour; fails when no board is drawn at all.
bool colouredBoard(const cv::Mat& rgb) {
    EXPECT_GT(countPixels(rgb, kBoard, white), 20000);
    return countPixels(rgb, kBoard, colourful) > 200;
}

// Below the counters: the stack depth line.
const cv::Rect kStackDepth(0, 38, 170, 26);

// Whether a log line is alice's grid 7 under permutation 5, with the board
// state (empty cells; -1 for the finished-games file, which has none) and
// colours given. Its game time and start date are left out.
bool aliceLine(const std::string& line, int empty, bool colored) {
    char board[16] = "";
    if (empty >= 0) std::snprintf(board, sizeof board, "%5d     0  ", empty);
    const std::string rest = std::string("         0  0  ") + board + (colored ? " c" : "bw") +
                             "  2d  - + + + -      0   -       alice  ";
    return line.rfind("   7  *         5  ", 0) == 0 && line.compare(27, rest.size(), rest) == 0;
}

// Seconds of a log line's game time, which stays below an hour here.
int loggedSeconds(const std::string& line) {
    int m = 0, s = 0;
    const std::string time = line.substr(19, 8);
    if (std::sscanf(time.c_str(), "%d:%d", &m, &s) == 2) return m * 60 + s;
    return std::atoi(time.c_str());
}

using StudyProgramTest = ProgramTest;

TEST_F(StudyProgramTest, AlicePlaysBothGamesOverTwoSessions) {
    GameProgram game("study", "alice\nstudy\n");
    const std::string test = game.folder + "/Tests/study";
    runCommand("mkdir -p '" + test + "'");
    std::ofstream(test + "/config.xml") << seriesConfig(
        "<GRID vals=\"1\" val0=\"7\"/><PERMUTATION vals=\"1\" val0=\"5\"/>"
        "<COLOR vals=\"2\" val0=\"1\" val1=\"0\"/>");
    std::ofstream(game.folder + "/sudoku-grids/g7.txt") << nearlySolved({0});
    // The one empty cell as the program shows it, its digit and one that clashes there.
    const ShownPuzzle puzzle = shownPuzzle(game.folder + "/sudoku-grids/g7.txt", 5);
    const int cell = puzzle.empty.at(0), digit = puzzle.solution[cell], clash = puzzle.clash(cell);
    const auto solveAndGoOn = [&] {
        game.dragTile(digit, cell / 9, cell % 9);
        // Won once the idle step has seen the full board: the counters give way.
        const auto won = [](const cv::Mat& s) { return countPixels(s, kCounters, white) == 0; };
        EXPECT_TRUE(won(game.screenshotWhen("won", won)));
        return game.chooseMenuEntry(kNextGame);
    };

    // First session: a new agenda of two items, colour first and then black
    // and white, starting at a random one; the agenda gives the puzzle.
    ASSERT_TRUE(game.start());
    EXPECT_EQ(game.output().find("gridno"), std::string::npos);
    const int first = colouredBoard(game.screenshot("game1")) ? 0 : 1, second = 1 - first;
    auto count = [&](const char* event) {
        int n = 0;
        for (const auto& row : parseCsv(readFile(test + "/alice-events.csv"))) n += row[6] == event;
        return n;
    };
    // A clash taken back first; pauses around the click keep the presses
    // from making double presses.
    game.dragTile(clash, cell / 9, cell % 9);
    ASSERT_TRUE(waitUntil([&] { return count("digit_entered") == 1; }, 8000));
    game.xdo("sleep 0.4 " + game.moveTo(cell % 9 + 0.5, 8.5 - cell / 9) +
             "click 1 sleep 0.35");
    ASSERT_TRUE(waitUntil([&] { return count("digit_removed") == 1; }, 8000));
    ASSERT_TRUE(solveAndGoOn());
    const cv::Mat game2 = game.screenshotWhen(
        "game2", [](const cv::Mat& s) { return countPixels(s, kCounters, white) > 0; });
    EXPECT_EQ(colouredBoard(game2), second == 0);
    EXPECT_NE(game.output().find("\nsudoku-grids/g7.txt, permutation 5\n" + puzzle.printout),
              std::string::npos);
    // The second game left at once with Esc.
    game.xdo(game.moveTo(4.5, 4.5) + "key Escape");
    ASSERT_TRUE(game.exited(5000));
    EXPECT_EQ(game.status, 255);

    std::vector<std::string> log = lines(readFile(test + "/log.txt"));
    ASSERT_EQ(log.size(), 2u);
    EXPECT_TRUE(aliceLine(log[0], 0, first == 0)) << log[0];
    EXPECT_TRUE(aliceLine(log[1], 1, second == 0)) << log[1];
    const std::vector<std::string> finished = lines(readFile(test + "/finishedgames.txt"));
    ASSERT_EQ(finished.size(), 1u);
    EXPECT_TRUE(aliceLine(finished[0], -1, first == 0)) << finished[0];
    Agenda saved;
    ASSERT_EQ(saved.read((test + "/alice.xml").c_str()), 2);
    EXPECT_EQ(saved.current, second);
    EXPECT_NE(saved.items[first].done, 0);
    EXPECT_EQ(saved.items[second].done, 0);
    EXPECT_EQ(saved.items[first].colored, first == 0);
    // The won time, as the log shows it to the second.
    EXPECT_GT(saved.items[first].milliseconds, 0);
    EXPECT_LE(std::abs(saved.items[first].milliseconds / 1000 - loggedSeconds(log[0])), 1);

    // The report of the session: the won game at the agenda's time, the game left.
    const std::string run = runCommand(TABRELO_BUILD "/tools/tabrelo-report '" + test + "'; echo \"status=$?\"");
    ASSERT_NE(run.find("status=0"), std::string::npos) << run;
    const std::vector<std::vector<std::string>> games = parseCsv(readFile(test + "/report/games.csv"));
    ASSERT_EQ(games.size(), 3u);
    const std::vector<std::string>& header = games[0];
    auto column = [&](const char* name) { return std::find(header.begin(), header.end(), name) - header.begin(); };
    for (int g = 0; g < 2; g++) {
        const std::vector<std::string> expected = {"alice", std::to_string(g + 1), "7", "easy", "5",
                                                   g == 0 ? "2" : "0", g == 0 ? "1" : "0",
                                                   g == 0 ? "1" : "0", g == 0 ? "1" : "0"};
        std::vector<std::string> got;
        for (const char* name : {"player", "game", "grid", "difficulty", "permutation", "moves",
                                 "removals", "errors", "won"})
            got.push_back(games[g + 1].at(column(name)));
        EXPECT_EQ(got, expected) << g;
    }
    EXPECT_LE(std::abs(saved.items[first].milliseconds - std::stol(games[1][column("solving_ms")])), 40);
    // The page stands alone and draws its charts.
    const std::string html = readFile(test + "/report/index.html");
    EXPECT_EQ(html.find("<script"), std::string::npos);
    EXPECT_EQ(html.find("src="), std::string::npos);
    EXPECT_NE(html.find("<svg class=\"chart\""), std::string::npos);

    // Second session: the agenda is read, not built, and alice goes on with
    // the second item and its conditions.
    ASSERT_TRUE(game.start());
    EXPECT_NE(game.output().find("Test [no test]: \n" + puzzle.printout + "Starting Live Viewer"),
              std::string::npos);
    EXPECT_EQ(colouredBoard(game.screenshot("resumed")), second == 0);
    ASSERT_TRUE(solveAndGoOn());
    // The questionnaire, and the end at the next idle call; the last game is logged once.
    ASSERT_TRUE(game.exited(5000));
    EXPECT_EQ(game.status, 255);
    EXPECT_NE(game.output().find("\n**** YOU ARE DONE ****\n"), std::string::npos);
    log = lines(readFile(test + "/log.txt"));
    ASSERT_EQ(log.size(), 3u);
    EXPECT_TRUE(aliceLine(log[2], 0, second == 0)) << log[2];
    EXPECT_EQ(lines(readFile(test + "/finishedgames.txt")).size(), 2u);
    Agenda done;
    ASSERT_EQ(done.read((test + "/alice.xml").c_str()), 2);
    EXPECT_NE(done.items[second].done, 0);
    EXPECT_EQ(done.items[first].milliseconds, saved.items[first].milliseconds);
    EXPECT_GT(done.items[second].milliseconds, 0);

    // Third start: nothing is left to play.
    EXPECT_FALSE(game.start());
    ASSERT_TRUE(game.exited(5000));
    EXPECT_EQ(game.status, 0);
    EXPECT_NE(game.output().find("**** YOU ARE DONE ****"), std::string::npos);
    EXPECT_EQ(lines(readFile(test + "/log.txt")).size(), 3u);
}

// Seconds of processor time (user and system) the process has used.
double cpuSeconds(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string field;
    double ticks = 0;
    for (int i = 1; i <= 15 && stat >> field; i++) ticks += i >= 14 ? std::stod(field) : 0;
    return ticks / sysconf(_SC_CLK_TCK);
}

bool turningGuide(const cv::Mat& rgb) {
    return countPixels(rgb, cv::Rect(0, 0, rgb.cols, rgb.rows), [](const cv::Vec3b& p) {
               return std::abs(p[0] - 51) < 8 && std::abs(p[1] - 128) < 8 && std::abs(p[2] - 178) < 8;
           }) > 100;
}

// A free game: keys off the table make nothing, a quiet window rests, and
// through the popup menu a remembered board comes back, automatic markup goes
// on and off; a right drag shifts the turning view; the next game reloads the
// puzzle at once, moves the window up and asks for a new puzzle a few idle
// calls later.
TEST_F(StudyProgramTest, MenuRemembersMarksUpAndStartsTheNextFreeGame) {
    GameProgram game("menu", "bob\n\n0\n\n5\n2\n");
    runCommand("mkdir -p '" + game.folder + "/Tests' && cp '" TABRELO_DATA "/sudoku-grids/g5.txt' '" +
               game.folder + "/sudoku-grids/'");
    ASSERT_TRUE(game.start());
    const std::string placement = "xdotool getwindowgeometry " + game.windowId;
    const std::string placed = runCommand(placement);
    game.xdo(game.moveTo(10.5, 4.5) + "key f");
    const cv::Mat before = game.screenshotWhen("before", flatView);
    ASSERT_FALSE(before.empty());
    EXPECT_EQ(countPixels(before, kStackDepth, white), 0);
    // Key 5 over the black space left of the row pane; the views after it show later frames.
    game.xdo(game.moveTo(-6, 4.5) + "key 5 key i");
    game.screenshotWhen("oblique", [](const cv::Mat& s) { return !flatView(s); });
    game.xdo(game.moveTo(10.5, 4.5) + "key f");
    const cv::Rect belowClock(0, 20, 640, 460);
    EXPECT_EQ(cv::norm(before(belowClock), game.screenshotWhen("after", flatView)(belowClock)), 0);
    // Two seconds without input: the window is not drawn over and over.
    const double cpuBefore = cpuSeconds(game.pid);
    std::this_thread::sleep_for(std::chrono::seconds(2));
    EXPECT_LT(cpuSeconds(game.pid) - cpuBefore, 0.2);

    ASSERT_TRUE(game.chooseMenuEntry(kPush));
    const auto depthShown = [](const cv::Mat& s) { return countPixels(s, kStackDepth, white) > 20; };
    EXPECT_TRUE(depthShown(game.screenshotWhen("pushed", depthShown)));  // "Stack depth:  1"
    game.dragTile(5, 6, 2);
    const cv::Mat changed = game.screenshotWhen(
        "changed", [&](const cv::Mat& s) { return cv::norm(before(kCounters), s(kCounters)) > 0; });
    EXPECT_GT(countPixels(changed, cellRect(6, 2), orange), 5);
    ASSERT_TRUE(game.chooseMenuEntry(kPop));
    const cv::Mat popped = game.screenshotWhen(
        "popped", [](const cv::Mat& s) { return countPixels(s, kStackDepth, white) == 0; });
    EXPECT_EQ(countPixels(popped, kStackDepth, white), 0);
    EXPECT_EQ(cv::norm(before(kBoard), popped(kBoard)), 0);
    EXPECT_EQ(cv::norm(before(kCounters), popped(kCounters)), 0);

    ASSERT_TRUE(game.chooseMenuEntry(kAutomaticMarkup));
    const auto notesShown = [&](const cv::Mat& s) {
        return cv::norm(before(kBoard), s(kBoard)) > 0 &&
               countPixels(s, kBoard, white) > 20000;
    };
    EXPECT_TRUE(notesShown(game.screenshotWhen("notes", notesShown)));
    ASSERT_TRUE(game.chooseMenuEntry(kAutomaticMarkup));
    const auto cleared = [&](const cv::Mat& s) {
        return cv::norm(before(kBoard), s(kBoard)) == 0;
    };
    EXPECT_TRUE(cleared(game.screenshotWhen("cleared", cleared)));

    // Turning mode, then a right drag from the row pane (off the board, inside
    // the turning circle) two cells to the right: the view shifts, no menu
    // opens. A press far outside the circle leaves turning mode.
    game.xdo(game.moveTo(-6, 4.5) + "click 1");
    ASSERT_TRUE(turningGuide(game.screenshotWhen("turning", turningGuide)));
    game.xdo(game.moveTo(-1.5, 4.5) + "sleep 0.1 mousedown 3 sleep 0.1 " + game.moveTo(0.5, 4.5) +
             "sleep 0.1 mouseup 3");
    const auto moved = [](const cv::Mat& s) { return countPixels(s, cellRect(0, 2), orange) > 5; };
    EXPECT_TRUE(moved(game.screenshotWhen("shifted", moved)));  // the given 5 of cell (0, 0)
    EXPECT_TRUE(GameProgram::shownMenu().empty());
    game.xdo("mousemove --window " + game.windowId + " 20 60 sleep 0.1 click 1");
    ASSERT_FALSE(turningGuide(game.screenshotWhen("played", [](const cv::Mat& s) { return !turningGuide(s); })));

    // Only a new game moves the window.
    EXPECT_EQ(runCommand(placement), placed);
    ASSERT_TRUE(game.chooseMenuEntry(kNextGame));
    EXPECT_TRUE(waitUntil([&] { return game.title().find("Puzzle 5 *       Permutation 2 ") != std::string::npos; }))
        << game.title();
    const std::string again = "sudoku-grids/g0.txt, permutation 0\n" +
                              shownPuzzle(game.folder + "/sudoku-grids/g0.txt").printout;
    const std::string asked =
        "gridno = 5\npermutation (0..12) [0]\npermutation = 2\nsudoku-grids/g5.txt, permutation 2\n" +
        shownPuzzle(game.folder + "/sudoku-grids/g5.txt", 2).printout;
    // The title is set before the printout is flushed.
    EXPECT_TRUE(game.waitForOutput(asked, 5000)) << game.output();
    EXPECT_LT(game.output().find(again), game.output().find(asked));
    EXPECT_NE(runCommand(placement).find("Position: 500,50 "), std::string::npos);

    ASSERT_TRUE(game.chooseMenuEntry(kQuit));
    ASSERT_TRUE(game.exited(5000));
    EXPECT_EQ(game.status, 255);
    // One successful push is counted in the first game's line.
    const std::vector<std::string> log = lines(readFile(game.folder + "/Tests/log.txt"));
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].substr(0, 19), "   0  *    " "     0  ");
    EXPECT_NE(log[0].find("      1   -         bob  "), std::string::npos) << log[0];
    EXPECT_EQ(log[1].substr(0, 19), "   5  *    " "     2  ");
}

}  // namespace
