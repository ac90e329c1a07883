// The real program end to end: the console dialogue and Esc.
#include "GameProgram.h"

#include "Agenda.h"
#include "SessionSettings.h"
#include "TestSettings.h"

namespace {

using GameProgramTest = ProgramTest;

// A free game with the console's defaults: the answers given, the window's
// title and the printouts. Without a tests folder "Tests/" the results are
// said to be lost, before the game and at quit.
TEST_F(GameProgramTest, ConsoleDialogueOfAFreeGame) {
    std::string longName;
    for (int i = 0; i < 100; i++) longName += (char)('a' + i % 26);
    const struct {
        const char* run;
        std::string answers;
        bool testsFolder;
        std::string name, settingsLine;
    } kCases[] = {
        {"enter", "\n\n\n\n", true, "Anonymous", ""},
        {"closed", "", false, "Anonymous", ""},
        // The rest of a long name answers the test prompt.
        {"long-name", longName + "\n\n\n", false, longName.substr(0, 79),
         "cannot read test settings Tests/" + longName.substr(79) +
             "/config.xml (No such file or directory): playing a free game\n"},
    };
    // The puzzle's printout, and those of the settings and agenda without a test series.
    Sudoku board;
    readPuzzle(board, TABRELO_DATA "/sudoku-grids/g1.txt");
    const TestSettings settings;
    const Agenda agenda;
    const std::string puzzle = printed([&](FILE* out) { board.print(out); });
    const std::string noSeries = printed([&](FILE* out) {
        settings.print(out);
        agenda.print(settings, out);
    });
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.run);
        GameProgram game(c.run, c.answers);
        if (c.testsFolder) {
            ASSERT_EQ(mkdir((game.folder + "/Tests").c_str(), 0755), 0);
        }
        ASSERT_TRUE(game.start());
        EXPECT_EQ(game.title(), "Vitrelo:   Easy Puzzle 1 *       Permutation 0   - " + c.name +
                                    " -   *** It's FUN ***\n");
        // Esc over the window ends the program with the status of exit(-1).
        game.xdo(game.moveTo(4.5, 4.5) + "key Escape");
        ASSERT_TRUE(game.exited(5000));
        EXPECT_EQ(game.status, 255);
        SessionSettings s;
        s.setUserName(c.name.c_str());
        const std::string lost =
            "cannot make files in the folder Tests/ (No such file or directory): this "
            "session's results may not be kept\n";
        const std::string atQuit = "cannot open file Tests//log.txt\ncannot write agenda file " +
                                   std::string(s.userPath()) + "\n";
        EXPECT_EQ(game.output(),
                  "Welcome to Tabrelo\nYour name [Anonymous]:\nHello " + c.name +
                      "!\nTest [no test]: \n" + c.settingsLine +
                      "Grid number (easy 1..62),(medium 63..121),(hard 122..169),(evil 1000..1025) [1]:\n"
                      "gridno = 1\npermutation (0..12) [0]\npermutation = 0\n" +
                      (c.testsFolder ? "" : lost) +
                      puzzle + "Starting Live Viewer. Type ESC to quit\n" + noSeries +
                      (c.testsFolder ? "" : atQuit) + "\nbye\n");
    }
    // The game left unfinished is logged in the tests folder, with an empty agenda beside it.
    const std::string folder = std::string(TABRELO_BUILD) + "/game-runs/enter/Tests/";
    const std::string log = readFile(folder + "log.txt");
    EXPECT_EQ(log.substr(0, 13), "   1  *      ");
    EXPECT_NE(log.find("   43     0   c  3d  + + + + -      0   -   Anonymous  "),
              std::string::npos);
    EXPECT_EQ(access((folder + "finishedgames.txt").c_str(), F_OK), -1);
    Agenda saved;
    EXPECT_EQ(saved.read((folder + "Anonymous.xml").c_str()), 0);
    EXPECT_NE(readFile(folder + "Anonymous.xml").find("<USER>Anonymous</USER>"), std::string::npos);
}

}  // namespace
