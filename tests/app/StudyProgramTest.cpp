// A whole user study through the real program: a test folder with a two-game
// series, a player who solves, moves on with the popup menu, quits, comes
// back and finishes; and remembered boards, the next free game and automatic
// markup through the menu.
#include "GameProgram.h"

#include "Agenda.h"

#include <regex>
#include <vector>

namespace {

const char* const kConfig =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
    "<PARAMS>\n"
    "  <CONFIG>\n"
    "    <show_AR val=\"0\" modifiable=\"0\"/>\n"
    "    <show_colored val=\"1\" modifiable=\"1\"/>\n"
    "    <show_3D val=\"0\" modifiable=\"0\"/>\n"
    "    <show_repulsive val=\"1\" modifiable=\"1\"/>\n"
    "    <show_attractive val=\"1\" modifiable=\"1\"/>\n"
    "    <show_overviews val=\"0\" modifiable=\"1\"/>\n"
    "    <show_markup val=\"1\" modifiable=\"1\"/>\n"
    "    <show_grid_structure val=\"0\" modifiable=\"1\"/>\n"
    "    <show_evaluate val=\"1\" modifiable=\"1\"/>\n"
    "    <automatic_markup val=\"0\" modifiable=\"1\"/>\n"
    "    <semiautomatic_markup val=\"0\" modifiable=\"1\"/>\n"
    "  </CONFIG>\n"
    "  <LOOP>\n"
    "    <GRID vals=\"1\" val0=\"7\"/>\n"
    "    <PERMUTATION vals=\"1\" val0=\"5\"/>\n"
    "    <COLOR vals=\"2\" val0=\"1\" val1=\"0\"/>\n"
    "  </LOOP>\n"
    "</PARAMS>\n";

// Menu positions.
const int kNextGame = 1, kQuit = 3, kPush = 6, kPop = 7, kAutomaticMarkup = 15;

struct Puzzle {
    int grid[81];
    int solution[81];
    std::string printout;
};

// The puzzle as the program shows it: read, permuted and printed.
Puzzle permutedPuzzle(const std::string& path, int permutation) {
    Sudoku board;
    readPuzzle(board, path.c_str());
    board.setPermutationNumber(permutation);
    permute(board);
    Puzzle p;
    gridOf(board, p.grid);
    countSolutions(p.grid, 2, p.solution);
    p.printout = printed([&](FILE* out) { board.print(out); });
    return p;
}

std::vector<int> emptyCells(const Puzzle& p) {
    std::vector<int> cells;
    for (int i = 0; i < 81; i++)
        if (p.grid[i] == 0) cells.push_back(i);
    return cells;
}

// Digits drawn in colour: far from grey.
bool colourful(const cv::Vec3b& p) {
    return std::max({p[0], p[1], p[2]}) - std::min({p[0], p[1], p[2]}) > 100;
}

cv::Rect boardRect() {
    int x0, y0, x1, y1;
    GameProgram::flatPosition(0, 9, x0, y0);
    GameProgram::flatPosition(9, 0, x1, y1);
    return cv::Rect(cv::Point(x0, y0), cv::Point(x1, y1));
}

// Whether the board is drawn in colour; fails when no board is drawn at all.
bool colouredBoard(const cv::Mat& rgb) {
    EXPECT_GT(countPixels(rgb, boardRect(), white), 20000);
    return countPixels(rgb, boardRect(), colourful) > 200;
}

// Below the counters: the stack depth line.
const cv::Rect kStackDepth(0, 38, 170, 26);

// A log line of alice's grid 7 under permutation 5: exact but for the game
// time and the start date, which are checked by their form. board (empty
// cells and conflicts) is empty for the finished-games file.
std::string linePattern(const std::string& board, bool colored) {
    const std::string tail = std::string(colored ? " c" : "bw") +
                             "  2d  - \\+ \\+ \\+ -      0   -       alice  ";
    return "   7  \\*         5  ([ 0-9][0-9]:[0-9]{2}:[0-9]{2}|   [ 0-9][0-9]:[0-9]{2}|      [ 0-9][0-9])"
           "         0  0  " + board + tail +
           "[A-Z][a-z]{2} [A-Z][a-z]{2} [ 1-3][0-9] [0-2][0-9]:[0-5][0-9]:[0-6][0-9] [0-9]{4}";
}

std::string boardState(int empty) {
    char text[32];
    std::snprintf(text, sizeof text, "%5d  %4d  ", empty, 0);
    return text;
}

// Seconds of a log line's game time.
int loggedSeconds(const std::string& line) {
    int h = 0, m = 0, s = 0;
    const std::string time = line.substr(19, 8);
    if (std::sscanf(time.c_str(), "%d:%d:%d", &h, &m, &s) == 3) return h * 3600 + m * 60 + s;
    if (std::sscanf(time.c_str(), "%d:%d", &m, &s) == 2) return m * 60 + s;
    return std::atoi(time.c_str());
}

class StudyProgramTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static XvfbDisplay display;
        ASSERT_TRUE(display.ok());
    }

    static void solve(GameProgram& game, const Puzzle& p) {
        for (int i : emptyCells(p)) game.dragTile(p.solution[i], i / 9, i % 9);
        // Won once the idle step has seen the full board: the counters give way.
        const cv::Mat won = game.screenshotWhen(
            "won", [](const cv::Mat& s) { return countPixels(s, kCounters, white) == 0; });
        EXPECT_EQ(countPixels(won, kCounters, white), 0);
    }
};

const char* const kQuestionnaire =
    "\n\n**** YOU ARE DONE ****\n\n"
    "Please fill out the questionnaire 'Tests/Tabrelo-Evaluation.pdf'.\n"
    "(Bitte Fragebogen 'Tests/Tabrelo-Evaluation.pdf' ausf\xFC" "llen.)\n";

TEST_F(StudyProgramTest, AlicePlaysBothGamesOverTwoSessions) {
    GameProgram game("study", "alice\nstudy\n");
    const std::string test = game.folder + "/Tests/study";
    runCommand("mkdir -p '" + test + "'");
    std::ofstream(test + "/config.xml") << kConfig;
    game.writePuzzle(7, nearlySolved().text);
    const Puzzle puzzle = permutedPuzzle(game.folder + "/sudoku-grids/g7.txt", 5);
    const std::vector<int> empty = emptyCells(puzzle);
    ASSERT_EQ(empty.size(), 5u);

    // First session: a new agenda of two items, colour first and then black
    // and white, starting at a random one.
    ASSERT_TRUE(game.start());
    EXPECT_NE(game.title().find("Puzzle 7 *       Permutation 5   - alice -   *** Testseries study ***"),
              std::string::npos);
    int first = -1, step = 0;
    ASSERT_EQ(std::sscanf(game.output().c_str(),
                          "Welcome to Tabrelo\nYour name [Anonymous]:\nHello alice!\n"
                          "Test [no test]: \ncurr = %d, inc = %d\n", &first, &step), 2);
    ASSERT_TRUE(first == 0 || first == 1);
    EXPECT_EQ(game.output().find("gridno"), std::string::npos);  // the agenda gives the puzzle
    EXPECT_EQ(step, 1);
    const int second = 1 - first;
    const bool colored[2] = {true, false};
    const std::string agendaLines[2] = {"grid 7   p5       color   \n",
                                        "grid 7   p5    no-color   \n"};
    EXPECT_NE(game.output().find("Agenda: (2 tests)\n=======\n" +
                                 std::string(first == 0 ? " -> " : "    ") + agendaLines[0] +
                                 (first == 1 ? " -> " : "    ") + agendaLines[1]),
              std::string::npos);
    EXPECT_EQ(colouredBoard(game.screenshot("game1")), colored[first]);

    solve(game, puzzle);
    ASSERT_TRUE(game.chooseMenuEntry(kNextGame));
    const cv::Mat game2 = game.screenshotWhen(
        "game2", [](const cv::Mat& s) { return countPixels(s, kCounters, white) > 0; });
    EXPECT_EQ(colouredBoard(game2), colored[second]);
    EXPECT_EQ(countPixels(game2, cellRect(empty[0] / 9, empty[0] % 9), orange), 0);
    std::string out = game.output();
    EXPECT_NE(out.find("Agenda: (2 tests)"), std::string::npos);
    EXPECT_NE(out.find("\nsudoku-grids/g7.txt, permutation 5\n" + puzzle.printout), std::string::npos);

    // Part of the second game, then Esc.
    game.dragTile(puzzle.solution[empty[0]], empty[0] / 9, empty[0] % 9);
    game.xdo(game.moveTo(4.5, 4.5) + "key Escape");
    ASSERT_TRUE(game.exited(5000));
    EXPECT_EQ(game.status, 255);

    std::vector<std::string> log = lines(readFile(test + "/log.txt"));
    ASSERT_EQ(log.size(), 2u);
    EXPECT_TRUE(std::regex_match(log[0], std::regex(linePattern(boardState(0), colored[first]))))
        << log[0];
    EXPECT_TRUE(std::regex_match(log[1], std::regex(linePattern(boardState(4), colored[second]))))
        << log[1];
    std::vector<std::string> finished = lines(readFile(test + "/finishedgames.txt"));
    ASSERT_EQ(finished.size(), 1u);
    EXPECT_TRUE(std::regex_match(finished[0], std::regex(linePattern("", colored[first]))))
        << finished[0];

    Agenda saved;
    ASSERT_EQ(saved.read((test + "/alice.xml").c_str()), 2);
    EXPECT_EQ(saved.current, second);
    EXPECT_NE(saved.items[first].done, 0);
    EXPECT_EQ(saved.items[second].done, 0);
    // The won time, as the log shows it to the second.
    EXPECT_GT(saved.items[first].milliseconds, 0);
    EXPECT_LE(std::abs(saved.items[first].milliseconds / 1000 - loggedSeconds(log[0])), 1);
    EXPECT_EQ(saved.items[first].colored, colored[first]);

    // Second session: alice goes on with the second item and its conditions.
    ASSERT_TRUE(game.start());
    out = game.output();
    EXPECT_EQ(out.find("curr = "), std::string::npos);  // the agenda was read, not built
    EXPECT_NE(out.find("Test [no test]: \n" + puzzle.printout + "Starting Live Viewer"),
              std::string::npos);
    EXPECT_NE(game.title().find("Puzzle 7 *       Permutation 5   - alice -"), std::string::npos);
    const std::string doneTime = formatTime(saved.items[first].milliseconds);
    EXPECT_NE(out.find("Agenda: (2 tests)\n=======\n" +
                       (first == 0 ? "    " + agendaLines[0].substr(0, 26) + doneTime + "\n -> " +
                                         agendaLines[1]
                                   : " -> " + agendaLines[0] + "    " +
                                         agendaLines[1].substr(0, 26) + doneTime + "\n")),
              std::string::npos)
        << out;
    EXPECT_EQ(colouredBoard(game.screenshot("resumed")), colored[second]);
    solve(game, puzzle);
    ASSERT_TRUE(game.chooseMenuEntry(kNextGame));
    // The questionnaire, and the end at the next idle call; the last game is logged once.
    ASSERT_TRUE(game.exited(5000));
    EXPECT_EQ(game.status, 255);
    out = game.output();
    const std::string end = kQuestionnaire + std::string("\nbye\n");
    ASSERT_GE(out.size(), end.size());
    EXPECT_EQ(out.substr(out.size() - end.size()), end);
    log = lines(readFile(test + "/log.txt"));
    ASSERT_EQ(log.size(), 3u);
    EXPECT_TRUE(std::regex_match(log[2], std::regex(linePattern(boardState(0), colored[second]))))
        << log[2];
    EXPECT_EQ(lines(readFile(test + "/finishedgames.txt")).size(), 2u);
    Agenda done;
    ASSERT_EQ(done.read((test + "/alice.xml").c_str()), 2);
    EXPECT_NE(done.items[0].done, 0);
    EXPECT_NE(done.items[1].done, 0);
    EXPECT_EQ(done.items[first].milliseconds, saved.items[first].milliseconds);
    EXPECT_GT(done.items[second].milliseconds, 0);

    // Third start: nothing is left to play.
    EXPECT_FALSE(game.start());
    ASSERT_TRUE(game.exited(5000));
    EXPECT_EQ(game.status, 0);
    out = game.output();
    EXPECT_EQ(out.substr(out.size() - 25), "\n\n**** YOU ARE DONE ****\n");
    EXPECT_EQ(lines(readFile(test + "/log.txt")).size(), 3u);
}

TEST_F(StudyProgramTest, RememberedBoardComesBackThroughTheMenu) {
    GameProgram game("remember", "bob\n\n0\n\n");
    runCommand("mkdir -p '" + game.folder + "/Tests'");
    ASSERT_TRUE(game.start());
    game.xdo(game.moveTo(10.5, 4.5) + "key f");
    const cv::Mat before = game.screenshotWhen("before", flatView);
    ASSERT_FALSE(before.empty());
    EXPECT_EQ(countPixels(before, kStackDepth, white), 0);

    ASSERT_TRUE(game.chooseMenuEntry(kPush));
    const cv::Mat pushed = game.screenshotWhen(
        "pushed", [](const cv::Mat& s) { return countPixels(s, kStackDepth, white) > 20; });
    EXPECT_GT(countPixels(pushed, kStackDepth, white), 20);  // "Stack depth:  1"

    game.dragTile(5, 6, 2);
    const cv::Mat changed = game.screenshotWhen(
        "changed", [&](const cv::Mat& s) { return cv::norm(before(kCounters), s(kCounters)) > 0; });
    EXPECT_GT(countPixels(changed, cellRect(6, 2), orange), 5);
    EXPECT_GT(cv::norm(before(kCounters), changed(kCounters)), 0);

    ASSERT_TRUE(game.chooseMenuEntry(kPop));
    const cv::Mat popped = game.screenshotWhen(
        "popped", [](const cv::Mat& s) { return countPixels(s, kStackDepth, white) == 0; });
    EXPECT_EQ(countPixels(popped, cellRect(6, 2), orange), 0);
    EXPECT_EQ(cv::norm(before(kCounters), popped(kCounters)), 0);
    EXPECT_EQ(countPixels(popped, kStackDepth, white), 0);

    game.xdo(game.moveTo(4.5, 4.5) + "key Escape");
    ASSERT_TRUE(game.exited(5000));
    // One successful push is counted in the log.
    const std::string log = readFile(game.folder + "/Tests/log.txt");
    EXPECT_NE(log.find("      1   -         bob  "), std::string::npos) << log;
}

// Without a test series the next game reloads the puzzle at once, moves the
// window up and asks for a new puzzle a few idle calls later.
TEST_F(StudyProgramTest, FreeNextGameAsksForANewPuzzle) {
    GameProgram game("free-next", "bob\n\n\n\n5\n2\n");
    runCommand("mkdir -p '" + game.folder + "/Tests' && cp '" TABRELO_DATA "/sudoku-grids/g1.txt' '" TABRELO_DATA
               "/sudoku-grids/g5.txt' '" + game.folder + "/sudoku-grids/'");
    ASSERT_TRUE(game.start());
    EXPECT_NE(game.title().find("Puzzle 1 *       Permutation 0   - bob -   *** It's FUN ***"),
              std::string::npos);

    ASSERT_TRUE(game.chooseMenuEntry(kNextGame));
    waitUntil([&] { return game.title().find("Puzzle 5") != std::string::npos; });
    EXPECT_NE(game.title().find("Puzzle 5 *       Permutation 2   - bob -   *** It's FUN ***"),
              std::string::npos)
        << game.title();
    const std::string again = "sudoku-grids/g1.txt, permutation 0\n" +
                              permutedPuzzle(game.folder + "/sudoku-grids/g1.txt", 0).printout;
    const std::string asked =
        "Grid number (easy 1..62),(medium 63..121),(hard 122..169),(evil 1000..1025) [1]:\n"
        "gridno = 5\npermutation (0..12) [0]\npermutation = 2\nsudoku-grids/g5.txt, permutation 2\n" +
        permutedPuzzle(game.folder + "/sudoku-grids/g5.txt", 2).printout;
    // The title is set before the printout is flushed.
    EXPECT_TRUE(game.waitForOutput(again + asked, 5000)) << game.output();
    EXPECT_NE(runCommand("xdotool getwindowgeometry " + game.windowId).find("Position: 500,50 "),
              std::string::npos);

    ASSERT_TRUE(game.chooseMenuEntry(kQuit));
    ASSERT_TRUE(game.exited(5000));
    EXPECT_EQ(game.status, 255);
    const std::string out = game.output();
    EXPECT_EQ(out.substr(out.size() - 5), "\nbye\n");
    const std::vector<std::string> log = lines(readFile(game.folder + "/Tests/log.txt"));
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].substr(0, 19), "   1  *    " "     0  ");
    EXPECT_EQ(log[1].substr(0, 19), "   5  *    " "     2  ");
}

TEST_F(StudyProgramTest, AutomaticMarkupOnAndOffFromTheMenu) {
    GameProgram game("markup", "\n\n0\n\n");
    ASSERT_TRUE(game.start());
    game.xdo(game.moveTo(10.5, 4.5) + "key f");
    const cv::Mat before = game.screenshotWhen("no-notes", flatView);

    ASSERT_TRUE(game.chooseMenuEntry(kAutomaticMarkup));
    const cv::Mat notes = game.screenshotWhen("notes", [&](const cv::Mat& s) {
        return cv::norm(before(boardRect()), s(boardRect())) > 0;
    });
    EXPECT_GT(cv::norm(before(boardRect()), notes(boardRect())), 0);
    EXPECT_GT(countPixels(notes, boardRect(), white), 20000);

    ASSERT_TRUE(game.chooseMenuEntry(kAutomaticMarkup));
    const cv::Mat cleared = game.screenshotWhen("cleared", [&](const cv::Mat& s) {
        return cv::norm(before(boardRect()), s(boardRect())) == 0;
    });
    EXPECT_EQ(cv::norm(before(boardRect()), cleared(boardRect())), 0);
    game.xdo(game.moveTo(4.5, 4.5) + "key Escape");
    ASSERT_TRUE(game.exited(5000));
}

}  // namespace
