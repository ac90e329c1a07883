// The real program end to end: the console dialogue, Esc, and playing with
// real mouse and key events on a private X server.
#include "GameProgram.h"

#include "Agenda.h"
#include "SessionSettings.h"
#include "TestSettings.h"

namespace {

const char* const kPuzzle1 =
    "9 9\n"
    "0 0 6 0 1 4 0 9 0\n8 0 0 7 3 0 4 5 2\n0 0 7 8 5 0 1 0 0\n"
    "0 0 0 4 0 0 6 0 0\n0 0 0 0 2 0 0 3 7\n1 0 0 0 8 5 0 0 0\n"
    "7 2 0 5 9 0 0 1 6\n0 8 1 3 4 0 0 2 0\n9 3 0 0 0 2 8 7 0\n"
    "difficulty : easy\n";

const char* const kGridPrompt =
    "Grid number (easy 1..62),(medium 63..121),(hard 122..169),(evil 1000..1025) [1]:\n";

// The printouts of settings and agenda without a test series.
std::string noSeriesPrintout() {
    const TestSettings settings;
    const Agenda agenda;
    return printed([&](FILE* out) {
        settings.print(out);
        agenda.print(settings, out);
    });
}

std::string boardPrint(const char* path) {
    Sudoku board;
    readPuzzle(board, path);
    return printed([&](FILE* out) { board.print(out); });
}

class GameProgramTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static XvfbDisplay display;
        ASSERT_TRUE(display.ok());
    }

    // Esc over the window ends the program with "bye" and the status of exit(-1).
    static void quit(GameProgram& game) {
        game.xdo(game.moveTo(4.5, 4.5) + "key Escape");
        ASSERT_TRUE(game.exited(5000));
        EXPECT_EQ(game.status, 255);
        const std::string out = game.output();
        EXPECT_EQ(out.substr(out.size() - 5), "\nbye\n");
    }

    // A free game writes its results to the tests folder "Tests/" of the
    // empty test name; the run folders have none, which is said before the
    // game and again at quit, where no earlier agenda is claimed.
    static std::string withoutTestsFolder() {
        return "cannot make files in the folder Tests/ (No such file or directory): this "
               "session's results may not be kept\n";
    }
    static std::string quitWithoutTestsFolder(const std::string& name) {
        SessionSettings s;
        s.setUserName(name.c_str());
        return "cannot open file Tests//log.txt\ncannot write agenda file " +
               std::string(s.userPath()) + "\n";
    }

    // settingsLine: what is said of a test series asked for but not there.
    static std::string freeGameOutput(const std::string& name, const std::string& board,
                                      const std::string& atQuit,
                                      const std::string& settingsLine = "") {
        return "Welcome to Tabrelo\nYour name [Anonymous]:\nHello " + name +
               "!\nTest [no test]: \n" + settingsLine + kGridPrompt + "gridno = 1\npermutation (0..12) [0]\n" +
               "permutation = 0\n" + (atQuit.empty() ? "" : withoutTestsFolder()) + board +
               "Starting Live Viewer. Type ESC to quit\n" + noSeriesPrintout() + atQuit + "\nbye\n";
    }
};

TEST_F(GameProgramTest, EnterEverywhere) {
    GameProgram game("enter", "\n\n\n\n");
    game.writePuzzle(1, kPuzzle1);
    ASSERT_EQ(mkdir((game.folder + "/Tests").c_str(), 0755), 0);
    ASSERT_TRUE(game.start());
    EXPECT_EQ(runCommand("xdotool getwindowname " + game.windowId),
              "Vitrelo:   Easy Puzzle 1 *       Permutation 0   - Anonymous -   *** It's FUN ***\n");
    quit(game);
    EXPECT_EQ(game.output(),
              freeGameOutput("Anonymous", boardPrint((game.folder + "/sudoku-grids/g1.txt").c_str()),
                             ""));
    // The game left unfinished is logged in the tests folder, with an empty agenda beside it.
    const std::string log = readFile(game.folder + "/Tests/log.txt");
    EXPECT_EQ(log.substr(0, 13), "   1  *      ");
    EXPECT_NE(log.find("   43     0   c  3d  + + + + -      0   -   Anonymous  "),
              std::string::npos);
    EXPECT_EQ(access((game.folder + "/Tests/finishedgames.txt").c_str(), F_OK), -1);
    Agenda saved;
    EXPECT_EQ(saved.read((game.folder + "/Tests/Anonymous.xml").c_str()), 0);
    EXPECT_NE(readFile(game.folder + "/Tests/Anonymous.xml").find("<USER>Anonymous</USER>"),
              std::string::npos);
}

TEST_F(GameProgramTest, ClosedInputTakesEveryDefault) {
    GameProgram game("closed", "", true);
    game.writePuzzle(1, kPuzzle1);
    ASSERT_TRUE(game.start());
    quit(game);
    EXPECT_EQ(game.output(),
              freeGameOutput("Anonymous", boardPrint((game.folder + "/sudoku-grids/g1.txt").c_str()),
                             quitWithoutTestsFolder("Anonymous")));
}

TEST_F(GameProgramTest, LongNameIsCutAndItsRestAnswersTheTestPrompt) {
    std::string name;
    for (int i = 0; i < 100; i++) name += (char)('a' + i % 26);
    GameProgram game("long-name", name + "\n\n\n");
    game.writePuzzle(1, kPuzzle1);
    ASSERT_TRUE(game.start());
    const std::string title = runCommand("xdotool getwindowname " + game.windowId);
    EXPECT_NE(title.find("- " + name.substr(0, 79) + " -   *** It's FUN ***"), std::string::npos);
    quit(game);
    EXPECT_EQ(game.output(),
              freeGameOutput(name.substr(0, 79),
                             boardPrint((game.folder + "/sudoku-grids/g1.txt").c_str()),
                             quitWithoutTestsFolder(name.substr(0, 79)),
                             "cannot read test settings Tests/" + name.substr(79) +
                                 "/config.xml (No such file or directory): playing a free game\n"));
}

// The shade of an entered digit shows in its cell's margin.
bool shadedMargin(const cv::Mat& rgb, int r, int c) {
    int x, y;
    GameProgram::flatPosition(c + 0.05, 8 - r + 0.5, x, y);
    const cv::Vec3b p = rgb.at<cv::Vec3b>(y, x);
    return std::abs(p[0] - 178) < 8 && std::abs(p[1] - 178) < 8 && std::abs(p[2] - 178) < 8;
}

const cv::Rect kClock(530, 0, 110, 18), kWon(50, 30, 300, 48);

TEST_F(GameProgramTest, DragATileOntoACellAndTakeItBack) {
    GameProgram game("drag", "\n\n0\n\n");
    ASSERT_TRUE(game.start());
    game.xdo(game.moveTo(10.5, 4.5) + "key f");
    const cv::Mat before = game.screenshotWhen("before", flatView);
    ASSERT_FALSE(before.empty());
    EXPECT_EQ(countPixels(before, cellRect(6, 2), orange), 0);
    EXPECT_FALSE(shadedMargin(before, 6, 2));

    game.dragTile(5, 6, 2);
    // While it is dragged over the cell the tile is drawn there already.
    const cv::Mat entered = game.screenshotWhen("entered", [&](const cv::Mat& s) {
        return shadedMargin(s, 6, 2) && cv::norm(before(kCounters), s(kCounters)) > 0;
    });
    EXPECT_GT(countPixels(entered, cellRect(6, 2), orange), 5);
    EXPECT_TRUE(shadedMargin(entered, 6, 2));
    EXPECT_GT(cv::norm(before(kCounters), entered(kCounters)), 0);  // "Empty cells: 50"

    // The clock runs while the game goes on.
    const cv::Mat later = game.screenshotWhen(
        "later", [&](const cv::Mat& s) { return cv::norm(entered(kClock), s(kClock)) > 0; });
    EXPECT_GT(countPixels(later, kClock, white), 5);
    EXPECT_GT(cv::norm(entered(kClock), later(kClock)), 0);

    game.xdo(game.moveTo(2.5, 2.5) + "click 1");
    const cv::Mat removed = game.screenshotWhen(
        "removed", [](const cv::Mat& s) { return countPixels(s, cellRect(6, 2), orange) == 0; });
    EXPECT_EQ(countPixels(removed, cellRect(6, 2), orange), 0);
    EXPECT_FALSE(shadedMargin(removed, 6, 2));
    EXPECT_EQ(cv::norm(before(kCounters), removed(kCounters)), 0);  // "Empty cells: 51" again
    quit(game);
}

TEST_F(GameProgramTest, SolveAPuzzleByDragging) {
    GameProgram game("solve", "\n\n0\n\n");
    const NearlySolved p = nearlySolved();
    game.writePuzzle(0, p.text);
    ASSERT_TRUE(game.start());

    game.xdo(game.moveTo(10.5, 4.5) + "key f");
    for (int i : p.empty) game.dragTile(p.solution[i], i / 9, i % 9);
    const cv::Rect counterLabels(0, 0, 45, 30);
    const cv::Mat won = game.screenshotWhen("won", [&](const cv::Mat& s) {
        return countPixels(s, counterLabels, white) == 0 && countPixels(s, kWon, white) > 300;
    });
    EXPECT_GT(countPixels(won, kWon, white), 300);      // "You won !!!"
    EXPECT_EQ(countPixels(won, counterLabels, white), 0);  // no counters
    EXPECT_GT(countPixels(won, kClock, white), 5);

    // Over a second later a new tile 5 beside the board shows a frame drawn
    // since: its clock still shows the won time.
    pause(1500);  // time for a running clock to move on
    game.xdo(game.moveTo(10.5, 4.5) + "key 5");
    int x, y;
    GameProgram::flatPosition(10.5, 4.5, x, y);
    const cv::Rect newTile(x - 20, y - 20, 40, 40);
    const cv::Mat held = game.screenshotWhen(
        "won-later", [&](const cv::Mat& s) { return countPixels(s, newTile, orange) > 5; });
    EXPECT_GT(countPixels(held, newTile, orange), 5);
    EXPECT_EQ(cv::norm(won(kClock), held(kClock)), 0);  // the clock is held
    quit(game);
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

TEST_F(GameProgramTest, OffTheTableKeysMakeNothingQuietWindowRestsTurningViewShifts) {
    GameProgram game("off-table", "\n\n0\n\n");
    ASSERT_TRUE(game.start());
    game.xdo(game.moveTo(10.5, 4.5) + "key f");
    const cv::Mat before = game.screenshotWhen("before", flatView);
    // Key 5 over the black space left of the row pane; the views after it show later frames.
    game.xdo(game.moveTo(-6, 4.5) + "key 5 key i");
    game.screenshotWhen("oblique", [](const cv::Mat& s) { return !flatView(s); });
    game.xdo(game.moveTo(10.5, 4.5) + "key f");
    const cv::Rect belowClock(0, 20, 640, 460);
    EXPECT_EQ(cv::norm(before(belowClock), game.screenshotWhen("after", flatView)(belowClock)), 0);

    // Two seconds without input: the window is not drawn over and over.
    const double cpuBefore = cpuSeconds(game.pid);
    pause(2000);
    EXPECT_LT(cpuSeconds(game.pid) - cpuBefore, 0.2);

    // Turning mode, then a right drag from the row pane (off the board, inside
    // the turning circle) two cells to the right: the view shifts, no menu opens.
    game.xdo(game.moveTo(-6, 4.5) + "click 1");
    ASSERT_TRUE(turningGuide(game.screenshotWhen("turning", turningGuide)));
    game.xdo(game.moveTo(-1.5, 4.5) + "sleep 0.1 mousedown 3 sleep 0.1 " + game.moveTo(0.5, 4.5) +
             "sleep 0.1 mouseup 3");
    const auto moved = [](const cv::Mat& s) { return countPixels(s, cellRect(0, 2), orange) > 5; };
    EXPECT_TRUE(moved(game.screenshotWhen("shifted", moved)));  // the given 5 of cell (0, 0)
    EXPECT_TRUE(GameProgram::shownMenu().empty());
    quit(game);
}

}  // namespace
