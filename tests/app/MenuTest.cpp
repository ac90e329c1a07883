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
        quitFlag = wonFlag = newGameCountdown = rememberCount = 0;
        readPuzzle(*sudoku, "sudoku-grids/g0.txt");
        recordMenuPositions(currentMenuEntries());
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
        recordMenuPositions(currentMenuEntries());
        newGame(out);
    }
};

TEST_F(MenuTest, APermutationOutsideTheTableIsNotLoggedAsPlayed) {
    sudoku->setPermutationNumber(5);
    session.setGridNumber(1);
    session.permutation = 13;
    newGame(out);
    EXPECT_EQ(sudoku->permutationNumber, 5);
    EXPECT_EQ(session.permutation, 5);
    EXPECT_NE(std::string(session.windowTitle).find("Permutation 5 "), std::string::npos);
}

}  // namespace
