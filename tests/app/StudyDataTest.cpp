// The researcher's data through the real program: the console dialogue of a
// free game; files that cannot be read or written are said so in one line
// and are never written over, lost or logged under a wrong name.
#include "GameProgram.h"

#include "Agenda.h"
#include "TestSettings.h"

#include <functional>

namespace {

// A one-game series of grid 1, permutation 0, or of the grid element given.
std::string config(const std::string& grid = "<GRID vals=\"1\" val0=\"1\"/>") {
    return seriesConfig(grid + "<PERMUTATION vals=\"1\" val0=\"0\"/>");
}

// The one console line holding every fact, or "" when there is none.
std::string lineWith(const std::string& out, std::initializer_list<std::string> facts) {
    for (const std::string& line : lines(out)) {
        bool all = true;
        for (const std::string& fact : facts) all = all && line.find(fact) != std::string::npos;
        if (all) return line;
    }
    return "";
}

using StudyDataTest = ProgramTest;

const char* const kBrokenAgenda =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
    "<AGENDA>\n"
    "  <USER>alice</USER><DONE>1</DONF>\n"
    "</AGENDA>\n";

// A run of the program: its folder, its series folder and, once it has
// ended, its printout and window title.
struct Finished {
    std::string folder, test, out, title;
};

// Each case: the player's answers, the files of the run, and what the run
// must say and leave behind.
TEST_F(StudyDataTest, UnreadableFilesAreReportedAndKept) {
    std::string longName;
    for (int i = 0; i < 100; i++) longName += (char)('a' + i % 26);
    // A free game's printouts with the console's defaults: the dialogue, the
    // puzzle, and the settings and agenda without a test series.
    const TestSettings settings;
    const Agenda noAgenda;
    const std::string dialogue =
        "Welcome to Tabrelo\nYour name [Anonymous]:\nHello Anonymous!\nTest [no test]: \n"
        "Grid number (easy 1..62),(medium 63..121),(hard 122..169),(evil 1000..1025) [1]:\n"
        "gridno = 1\npermutation (0..12) [0]\npermutation = 0\n";
    const std::string freeGame = shownPuzzle(TABRELO_DATA "/sudoku-grids/g1.txt").printout +
                             "Starting Live Viewer. Type ESC to quit\n" + printed([&](FILE* out) {
                                 settings.print(out);
                                 noAgenda.print(settings, out);
                             });
    const struct Case {
        const char* name;
        std::string answers;
        std::string configText;
        std::function<void(const Finished&)> setUp;
        std::function<void(const Finished&)> check;
        bool turnedUntilEsc = false;
    } kCases[] = {
        // The unfinished game is logged in the tests folder, with an empty agenda beside it.
        {"defaults", "\n\n\n\n", "", nullptr,
         [&](const Finished& r) {
             EXPECT_EQ(r.title,
                       "Vitrelo:   Easy Puzzle 1 *       Permutation 0   - Anonymous -   *** It's FUN ***\n");
             EXPECT_EQ(r.out, dialogue + freeGame + "\nbye\n");
             EXPECT_EQ(readFile(r.folder + "/Tests/log.txt").substr(0, 13), "   1  *      ");
             EXPECT_EQ(access((r.folder + "/Tests/finishedgames.txt").c_str(), F_OK), -1);
             Agenda agenda;
             EXPECT_EQ(agenda.read((r.folder + "/Tests/Anonymous.xml").c_str()), 0);
             EXPECT_NE(readFile(r.folder + "/Tests/Anonymous.xml").find("<USER>Anonymous</USER>"),
                       std::string::npos);
         }},
        // Input closed and no tests folder (a read-only one takes the same way): the
        // results are said to be lost before the game, and at quit never "unchanged".
        {"closed", "", "", [](const Finished& r) { runCommand("rm -rf '" + r.folder + "/Tests'"); },
         [&](const Finished& r) {
             EXPECT_EQ(r.out, dialogue +
                                  "cannot make files in the folder Tests/ (No such file or directory): this "
                                  "session's results may not be kept\n" +
                                  freeGame + "cannot open file Tests//log.txt\ncannot write agenda file "
                                  "Tests//Anonymous.xml\n\nbye\n");
         }},
        {"broken-agenda", "alice\nseries\n", config(),
         [](const Finished& r) { std::ofstream(r.test + "/alice.xml") << kBrokenAgenda; },
         [](const Finished& r) {
             EXPECT_NE(lineWith(r.out, {"Tests/series/alice.xml", "line 3", "alice.xml.unreadable"}), "")
                 << r.out;
             EXPECT_EQ(readFile(r.test + "/alice.xml.unreadable"), kBrokenAgenda);
             Agenda agenda;
             EXPECT_EQ(agenda.read((r.test + "/alice.xml").c_str()), 1);
         }},
        {"latin1-config", "alice\nseries\n\n\n",
         config().insert(config().find("<PARAMS>"), "<!-- J\xFCrgen -->\n"), nullptr,
         [](const Finished& r) {
             EXPECT_NE(lineWith(r.out, {"Tests/series/config.xml", "line 2"}), "") << r.out;
             EXPECT_NE(r.out.find("gridno = 1"), std::string::npos);  // a free game, logged outside the series
             EXPECT_EQ(lines(readFile(r.folder + "/Tests/log.txt")).size(), 1u);
             EXPECT_EQ(access((r.test + "/log.txt").c_str(), F_OK), -1);
         }},
        {"missing-puzzle", "alice\nseries\n", config("<GRID vals=\"1\" val0=\"5000\"/>"),
         nullptr,
         [](const Finished& r) {
             EXPECT_NE(lineWith(r.out, {"sudoku-grids/g5000.txt", "sudoku-grids/g0.txt"}), "") << r.out;
             EXPECT_NE(r.title.find("Puzzle 0 "), std::string::npos) << r.title;
             EXPECT_EQ(readFile(r.test + "/log.txt").substr(0, 6), "   0  ");
         }},
        {"bytes-puzzle", "alice\nseries\n", config("<GRID vals=\"1\" val0=\"77\"/>"),
         [](const Finished& r) {
             std::string bytes;
             for (int i = 0; i < 300; i++) bytes += (char)((i * 151 + 7) % 256);
             std::ofstream(r.folder + "/sudoku-grids/g77.txt") << bytes;
         },
         [](const Finished& r) {
             EXPECT_NE(lineWith(r.out, {"sudoku-grids/g77.txt", "sudoku-grids/g0.txt"}), "") << r.out;
             EXPECT_EQ(readFile(r.test + "/log.txt").substr(0, 6), "   0  ");
         }},
        // A name too long for a file: the rest of it answers the test prompt. Esc
        // while the view is being turned: the turning so far is in the log.
        {"permutation-turning", longName + "\n\n13\n", "", nullptr,
         [&](const Finished& r) {
             EXPECT_NE(lineWith(r.out, {"permutation 13", "permutation 0"}), "") << r.out;
             EXPECT_NE(r.title.find("- " + longName.substr(0, 79) + " -"), std::string::npos) << r.title;
             EXPECT_NE(lineWith(r.out, {"Tests/" + longName.substr(79) + "/config.xml", "free game"}), "");
             EXPECT_NE(r.title.find("Permutation 0 "), std::string::npos) << r.title;
             const std::string log = readFile(r.folder + "/Tests/log.txt");
             ASSERT_GT(log.size(), 40u);
             EXPECT_EQ(log.substr(13, 4), "   0");
             EXPECT_GE(std::atoi(log.substr(29, 8).c_str()), 2) << log;  // seconds turned
             EXPECT_EQ(std::atoi(log.substr(38, 2).c_str()), 1) << log;  // one turning
         },
         true},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        GameProgram game(std::string("data-") + c.name, c.answers);
        const std::string test = game.folder + "/Tests/series";
        runCommand("mkdir -p '" + test + "'");
        if (!c.configText.empty()) std::ofstream(test + "/config.xml") << c.configText;
        if (c.setUp) c.setUp({game.folder, test, "", ""});
        ASSERT_TRUE(game.start());
        const std::string title = game.title();
        // Over two seconds of turning between the click and Esc.
        if (c.turnedUntilEsc)
            game.xdo("mousemove --window " + game.windowId + " 20 60 sleep 0.1 click 1 sleep 2.2");
        game.xdo(game.moveTo(4.5, 4.5) + "key Escape");
        ASSERT_TRUE(game.exited(5000));
        EXPECT_EQ(game.status, 255);  // Esc ends the program as exit(-1)
        c.check({game.folder, test, game.output(), title});
    }
}

}  // namespace
