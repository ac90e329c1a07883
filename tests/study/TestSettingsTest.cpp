#include "SessionSettings.h"
#include "StudyFiles.h"
#include "Sudoku.h"
#include "TestSettings.h"

#include <gtest/gtest.h>

namespace {

const char* const kSettings =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
    "<PARAMS>\n"
    "  <CONFIG>\n"
    "    <show_AR val=\"F\" modifiable=\"1\"/>\n"
    "    <show_colored modifiable=\"T\" val=\"true\"/>\n"
    "    <show_3D val=\"1\" modifiable=\"0\"/>\n"
    "    <show_repulsive val=\"Yes\" modifiable=\"1\"/>\n"
    "    <show_attractive val=\"10\"/>\n"
    "    <show_markup modifiable=\"1\"/>\n"
    "    <show_grid_structure val=\"t\" modifiable=\"0\"/>\n"
    "    <show_evaluate val=\"0\" modifiable=\"0\"/>\n"
    "    <automatic_markup val=\"1\" modifiable=\"0\"/>\n"
    "  </CONFIG>\n"
    "  <LOOP>\n"
    "    <GRID vals=\"3\" val0=\"12\" val1=\"80\"/>\n"
    "    <PERMUTATION val1=\"5\" vals=\"2\" val0=\"0\"/>\n"
    "    <COLOR vals=\"2\" val0=\"1\" val1=\"0\"/>\n"
    "    <IN3D vals=\"1\" val0=\"1\"/>\n"
    "  </LOOP>\n"
    "</PARAMS>\n";

const char* const kPrintout =
    "\n"
    "TestSettings:\n"
    "=============\n"
    "    puzzles          = { 12 80 0 }\n"
    "    permutations     = { 0 5 }\n"
    "    AR                   =   no        ...modifiable...\n"
    "    show colored         = { 1 0 }\n"
    "    show 3D              =   yes       ...fixed...\n"
    "    show repulsive       =   no        ...modifiable...\n"
    "    show attractive      =   yes       ...fixed...\n"
    "    show overview        =   default   ...modifiable...\n"
    "    show markup          =   no        ...modifiable...\n"
    "    show evaluate        =   no        ...fixed...\n"
    "    automatic markup     =   yes       ...fixed...\n"
    "    semiautomatic markup =   default   ...modifiable...\n"
    "\n";

TEST(TestSettings, ConfigAndLoopBlocks) {
    SessionSettings session;
    Sudoku board;
    TestSettings settings;
    ASSERT_EQ(1, settings.read(writeScratch("settings.xml", kSettings).c_str(), session, board));
    EXPECT_EQ(kPrintout, printed([&](FILE* out) { settings.print(out); }));

    // The switches start as the file says; automatic markup keeps its start value.
    EXPECT_EQ(0, session.show_AR);
    EXPECT_EQ(1, session.show_colored);
    EXPECT_EQ(1, session.show_3D);
    EXPECT_EQ(0, session.show_repulsive);
    EXPECT_EQ(1, session.show_attractive);
    EXPECT_EQ(1, session.show_overviews);
    EXPECT_EQ(0, session.show_markup);
    EXPECT_EQ(1, session.show_grid_structure);
    EXPECT_EQ(0, board.getEvaluate());
    EXPECT_EQ(0, session.automatic_markup);

    // Missing "modifiable" is false; a looped switch is fixed; no value is modifiable.
    EXPECT_TRUE(settings.AR.isModifiable());
    EXPECT_FALSE(settings.colored.isModifiable());
    EXPECT_FALSE(settings.in3D.isModifiable());
    EXPECT_FALSE(settings.attractive.isModifiable());
    EXPECT_TRUE(settings.overviews.isModifiable());
    EXPECT_FALSE(settings.gridStructure.isModifiable());
    EXPECT_FALSE(settings.automaticMarkup.isModifiable());
    EXPECT_TRUE(settings.semiautomaticMarkup.isModifiable());

    EXPECT_EQ(80, settings.puzzles.at(1));
    EXPECT_EQ(0, settings.puzzles.at(2));  // vals 3 with only val0 and val1
    EXPECT_EQ(-1, settings.puzzles.at(3));
    EXPECT_EQ(-1, settings.puzzles.at(-1));
    EXPECT_EQ(1, settings.permutations.indexOf(5));
    EXPECT_EQ(-1, settings.permutations.indexOf(7));
}

TEST(TestSettings, UnreadableOrEmptyFilesChangeNothing) {
    SessionSettings session;
    session.setShowColored(0);
    Sudoku board;
    TestSettings settings;
    EXPECT_EQ(0, settings.read(scratchPath("no-such-config.xml").c_str(), session, board));
    EXPECT_EQ(0, settings.read(writeScratch("broken.xml", "<PARAMS><CONFIG>").c_str(), session, board));
    EXPECT_EQ(1, settings.read(writeScratch("other.xml", "<OTHER><CONFIG><show_colored val='1'/>"
                                                         "</CONFIG></OTHER>").c_str(),
                               session, board));
    EXPECT_EQ(0, session.show_colored);
    EXPECT_EQ(1, board.getEvaluate());
    EXPECT_EQ(0, settings.puzzles.count());
    EXPECT_EQ(0, settings.colored.count());
    EXPECT_EQ(1, settings.colored.modifiable);
}

TEST(TestSettings, ListsKeepTheirFirstValuesUpToCapacity) {
    std::string loop = "<PARAMS><LOOP><GRID vals='150'";
    for (int i = 0; i < 150; i++) loop += " val" + std::to_string(i) + "='" + std::to_string(i + 1) + "'";
    // A huge count does not make the reader loop for long.
    loop += "/><PERMUTATION vals='2000000000' val0='3'/><AR vals='3' val0='1' val1='0' val2='1'/>"
            "</LOOP></PARAMS>";
    SessionSettings session;
    Sudoku board;
    TestSettings settings;
    ASSERT_EQ(1, settings.read(writeScratch("capacity.xml", loop).c_str(), session, board));
    EXPECT_EQ(100, settings.puzzles.count());
    EXPECT_EQ(100, settings.puzzles.at(99));
    EXPECT_EQ(13, settings.permutations.count());
    EXPECT_EQ(3, settings.permutations.at(0));
    EXPECT_EQ(0, settings.permutations.at(1));
    EXPECT_EQ(2, settings.AR.count());
    EXPECT_EQ(0, settings.AR.add(1));
}

}  // namespace
