// The popup menu's commands on the shell's globals: toggles, remembered
// boards, progress and the moves of a test series with their logs.
#include "Menu.h"
#include "PuzzleFile.h"
#include "Shell.h"

#include "../TextHelpers.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

const char* const kSeries =
    "<PARAMS>\n"
    "  <CONFIG>\n"
    "    <show_colored val=\"1\" modifiable=\"1\"/>\n"
    "    <show_3D val=\"0\" modifiable=\"0\"/>\n"
    "    <show_repulsive val=\"1\" modifiable=\"1\"/>\n"
    "    <show_attractive val=\"1\" modifiable=\"1\"/>\n"
    "    <show_overviews val=\"1\" modifiable=\"1\"/>\n"
    "    <show_markup val=\"1\" modifiable=\"1\"/>\n"
    "    <show_evaluate val=\"1\" modifiable=\"1\"/>\n"
    "    <show_AR val=\"0\" modifiable=\"0\"/>\n"
    "  </CONFIG>\n"
    "  <LOOP>\n"
    "    <GRID vals=\"2\" val0=\"0\" val1=\"1\"/>\n"
    "    <PERMUTATION vals=\"1\" val0=\"3\"/>\n"
    "  </LOOP>\n"
    "</PARAMS>\n";

// The shell's globals over a working folder of their own.
class MenuTest : public ::testing::Test {
protected:
    std::string folder, cwd;
    GridStack stack{50};
    RunningGame game;
    std::string printed;
    FILE* out = nullptr;
    char* text = nullptr;
    size_t size = 0;

    void SetUp() override {
        cwd = std::filesystem::current_path();
        folder = std::string(TABRELO_BUILD) + "/menu-runs/" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name();
        ASSERT_EQ(system(("rm -rf '" + folder + "' && mkdir -p '" + folder +
                          "/sudoku-grids' '" + folder + "/Tests/study' && cp '" TABRELO_DATA
                          "/sudoku-grids/g0.txt' '" TABRELO_DATA "/sudoku-grids/g1.txt' '" +
                          folder + "/sudoku-grids/'")
                             .c_str()),
                  0);
        ASSERT_EQ(chdir(folder.c_str()), 0);
        session = SessionSettings();
        sudoku = new Sudoku();
        gridStack = &stack;
        gameWindow = new GameWindow(session);
        testSettings = TestSettings();
        agenda = Agenda();
        readPuzzle(*sudoku, "sudoku-grids/g0.txt");
        recordMenuPositions(game, currentMenuEntries());
        out = open_memstream(&text, &size);
    }
    void TearDown() override {
        delete gameWindow;
        gameWindow = nullptr;
        delete sudoku;
        sudoku = nullptr;
        std::fclose(out);
        std::free(text);
        ASSERT_EQ(chdir(cwd.c_str()), 0);
    }
    const std::string& output() {
        std::fflush(out);
        printed.assign(text, size);
        return printed;
    }
    // A test series "study" for the player, as start-up sets it up.
    void startSeries(const char* user) {
        std::ofstream("Tests/study/config.xml") << kSeries;
        session.setUserName(user);
        session.setTestName("study");
        ASSERT_EQ(testSettings.read(session.settingsPath, session, *sudoku), 1);
        ASSERT_EQ(agenda.build(testSettings, 7), 2);
        const int item = agenda.currentItem();
        ASSERT_GE(item, 0);
        agenda.items[item].applyTo(session, *sudoku);
        recordMenuPositions(game, currentMenuEntries());
        newGame(game, out);
    }
};

TEST_F(MenuTest, TogglesChangeTheSwitchAndTheEntryText) {
    MenuEffects e = menuCommand(game, MenuColored, out);
    EXPECT_EQ(session.show_colored, 0);
    EXPECT_EQ(e.entryPosition, 10);
    EXPECT_EQ(e.entryText, "- BW\t-> Colored");
    e = menuCommand(game, MenuColored, out);
    EXPECT_EQ(session.show_colored, 1);
    EXPECT_EQ(e.entryText, "- Colored\t-> BW");

    e = menuCommand(game, MenuBlocks, out);
    EXPECT_EQ(session.show_repulsive, 0);
    EXPECT_EQ(e.entryPosition, 12);
    EXPECT_EQ(e.entryText, "- Blocks: OFF\t-> ON (repulsive forces)");

    e = menuCommand(game, MenuSemiautomaticMarkup, out);
    EXPECT_EQ(session.semiautomatic_markup, 1);
    EXPECT_EQ(e.entryText, "- Semiautomatic markup: ON\t-> OFF");
    e = menuCommand(game, MenuSemiautomaticMarkup, out);
    EXPECT_EQ(e.entryText, "- Semiutomatic markup: OFF\t-> ON");

    e = menuCommand(game, MenuEvaluation, out);
    EXPECT_EQ(sudoku->getEvaluate(), 0);
    EXPECT_EQ(e.entryPosition, 19);
    EXPECT_EQ(e.entryText, "- Evaluation: OFF\t-> ON");

    const int* switches[] = {&session.show_3D, &session.show_attractive, &session.show_markup,
                             &session.automatic_markup, &session.show_overviews,
                             &session.show_grid_structure};
    const int values[] = {Menu3D, MenuFunnels, MenuMarkup, MenuAutomaticMarkup, MenuOverviews,
                          MenuGridStructure};
    for (int i = 0; i < 6; i++) {
        const int before = *switches[i];
        e = menuCommand(game, values[i], out);
        EXPECT_EQ(*switches[i], 1 - before) << values[i];
        EXPECT_EQ(e.entryPosition, values[i] + 3);
        EXPECT_EQ(e.entryText, toggledSwitchText(values[i], 1 - before));
    }
    EXPECT_EQ(output(), "");
}

TEST_F(MenuTest, MarkupOffClearsEveryNote) {
    sudoku->setNote(0, 2, 4, NoteGood);
    sudoku->setNote(0, 3, 4, NoteBad);
    menuCommand(game, MenuAutomaticMarkup, out);  // on: notes stay
    EXPECT_EQ(sudoku->noteAt(0, 3, 4), NoteBad);
    menuCommand(game, MenuAutomaticMarkup, out);
    EXPECT_EQ(sudoku->noteAt(0, 2, 4), 0);
    EXPECT_EQ(sudoku->noteAt(0, 3, 4), 0);

    sudoku->setNote(1, 1, 9, NoteGood);
    menuCommand(game, MenuSemiautomaticMarkup, out);
    menuCommand(game, MenuSemiautomaticMarkup, out);
    EXPECT_EQ(sudoku->noteAt(1, 1, 9), 0);

    sudoku->setNote(1, 1, 9, NoteGood);
    menuCommand(game, MenuMarkup, out);  // showing markup is not making it
    EXPECT_EQ(sudoku->noteAt(1, 1, 9), NoteGood);
}

TEST_F(MenuTest, FixedSwitchesHaveNoValueAndDoNothing) {
    startSeries("bob");
    const std::vector<MenuEntry> entries = currentMenuEntries();
    EXPECT_EQ(entries[10].text, "- 2D\t[FIXED]");
    EXPECT_EQ(entries[10].value, MenuNothing);
    EXPECT_EQ(entries[9].text, "- Colored\t-> BW");
    const MenuEffects e = menuCommand(game, entries[10].value, out);
    EXPECT_EQ(session.show_3D, 0);
    EXPECT_EQ(e.entryPosition, 0);
}

TEST_F(MenuTest, UnknownValueIsReported) {
    menuCommand(game, 42, out);
    menuCommand(game, -3, out);
    EXPECT_EQ(output(), "invalid popup value 42\ninvalid popup value -3\n");
}

TEST_F(MenuTest, RememberedBoardsComeBack) {
    sudoku->setDigit(0, 2, 4, Entered);
    menuCommand(game, MenuPush, out);
    EXPECT_EQ(game.rememberCount, 1);
    sudoku->clearCell(0, 2);
    sudoku->setDigit(0, 3, 6, Entered);
    menuCommand(game, MenuPop, out);
    EXPECT_EQ(sudoku->digitAt(0, 2), 4);
    EXPECT_EQ(sudoku->digitAt(0, 3), 0);
    EXPECT_EQ(gridStack->count(), 0);
    const Sudoku* live = sudoku;
    menuCommand(game, MenuPop, out);  // empty stack: the live board stays
    EXPECT_EQ(sudoku, live);

    for (int i = 0; i < 50; i++) menuCommand(game, MenuPush, out);
    menuCommand(game, MenuPush, out);  // full: not counted
    EXPECT_EQ(game.rememberCount, 51);
    EXPECT_EQ(gridStack->count(), 50);
}

TEST_F(MenuTest, ProgressMovesTheWindowAndPrintsTheSeries) {
    startSeries("carol");
    std::fflush(out);
    const size_t before = size;
    const MenuEffects e = menuCommand(game, MenuProgress, out);
    EXPECT_TRUE(e.moveWindow);
    const std::string shown = output().substr(before);
    EXPECT_EQ(shown.find("\nTestSettings:\n=============\n"), 0u);
    EXPECT_NE(shown.find("Agenda: (2 tests)\n=======\n"), std::string::npos);
}

TEST_F(MenuTest, QuitOnlyRaisesTheFlag) {
    menuCommand(game, MenuQuit, out);
    EXPECT_EQ(game.quitFlag, 1);
    EXPECT_EQ(output(), "");
}

TEST_F(MenuTest, NextGameWithoutSeriesReloadsAndCountsDown) {
    session.setGridNumber(1);
    session.permutation = 0;
    sudoku->setDigit(0, 2, 4, Entered);
    const MenuEffects e = menuCommand(game, MenuNextGame, out);
    EXPECT_EQ(game.newGameIdleTurns, 1);
    EXPECT_TRUE(e.moveWindow);
    EXPECT_TRUE(e.newTitle);
    EXPECT_FALSE(e.resetView);
    const std::string shown = output();
    EXPECT_EQ(shown.find("sudoku-grids/g1.txt, permutation 0\nSUDOKU GRID: [9,9]\n"), 0u);
    // Without a series the logs go to the tests folder itself, a game left
    // unfinished only to the log.
    EXPECT_NE(readFile("Tests/log.txt").find("   1  *      "), std::string::npos);
    EXPECT_EQ(readFile("Tests/finishedgames.txt"), "");

    // Without that folder both files are missing, and said so; a full board,
    // conflicts or not, goes to both.
    ASSERT_EQ(system("rm -rf Tests"), 0);
    for (int i = 0; i < 81; i++) sudoku->setDigit(i / 9, i % 9, 1, Entered);
    menuCommand(game, MenuNextGame, out);
    EXPECT_NE(output().find("cannot open file Tests//log.txt\n"
                            "cannot open file Tests//finishedgames.txt\n"),
              std::string::npos);
    Sudoku fresh;
    readPuzzle(fresh, "sudoku-grids/g1.txt");
    EXPECT_EQ(sudoku->countEmptyCells(), fresh.countEmptyCells());
}

TEST_F(MenuTest, APermutationOutsideTheTableIsNotLoggedAsPlayed) {
    sudoku->setPermutationNumber(5);
    session.setGridNumber(1);
    session.permutation = 13;
    newGame(game, out);
    EXPECT_EQ(sudoku->permutationNumber, 5);
    EXPECT_EQ(session.permutation, 5);
    EXPECT_NE(std::string(session.windowTitle).find("Permutation 5 "), std::string::npos);
}

TEST_F(MenuTest, SeriesRunsToTheQuestionnaire) {
    startSeries("dave");
    const int first = agenda.current;
    game.clock.total = 42000;
    agenda.record(42000);
    MenuEffects e = menuCommand(game, MenuNextGame, out);
    EXPECT_TRUE(e.resetView);
    EXPECT_TRUE(e.newTitle);
    EXPECT_NE(agenda.current, first);
    EXPECT_EQ(session.gridNumber, agenda.items[agenda.current].grid);
    EXPECT_NE(std::string(session.windowTitle).find("*** Testseries study ***"),
              std::string::npos);

    // The game left is logged and the agenda file says where the player stands.
    const std::string log = readFile("Tests/study/log.txt");
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1);
    EXPECT_NE(log.find("      dave  "), std::string::npos);
    Agenda saved;
    ASSERT_EQ(saved.read("Tests/study/dave.xml"), 2);
    EXPECT_EQ(saved.current, first);
    EXPECT_EQ(saved.items[first].done, 1);
    EXPECT_EQ(saved.items[first].milliseconds, 42000);

    agenda.record(1000);
    const int switchesBefore = session.show_colored;
    e = menuCommand(game, MenuNextGame, out);
    EXPECT_EQ(game.quitFlag, 1);
    EXPECT_FALSE(e.newTitle);
    EXPECT_EQ(session.show_colored, switchesBefore);
    const std::string shown = output();
    const std::string done =
        "\n\n**** YOU ARE DONE ****\n\n"
        "Please fill out the questionnaire 'Tests/Tabrelo-Evaluation.pdf'.\n"
        "(Bitte Fragebogen 'Tests/Tabrelo-Evaluation.pdf' ausf\xFCllen.)\n";
    EXPECT_EQ(shown.substr(shown.size() - done.size()), done);
    Agenda finished;
    ASSERT_EQ(finished.read("Tests/study/dave.xml"), 2);
    EXPECT_EQ(finished.currentItem(), -1);
    const std::string log2 = readFile("Tests/study/log.txt");
    EXPECT_EQ(std::count(log2.begin(), log2.end(), '\n'), 2);
}

}  // namespace
