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

TEST(TestSettings, OnlyConfigWithFixed3D) {
    SessionSettings session;
    session.setShow3D(0);
    Sudoku board;
    TestSettings settings;
    ASSERT_EQ(1, settings.read(writeScratch("only3d.xml",
                                            "<PARAMS><CONFIG><show_3D val='True' modifiable='0'/>"
                                            "</CONFIG></PARAMS>")
                                   .c_str(),
                               session, board));
    EXPECT_EQ(1, session.show_3D);
    const std::string text = printed([&](FILE* out) { settings.print(out); });
    EXPECT_NE(std::string::npos, text.find("    show 3D              =   yes       ...fixed...\n"));
    EXPECT_NE(std::string::npos, text.find("    puzzles          = { }\n"));
    EXPECT_FALSE(settings.in3D.isModifiable());
    EXPECT_TRUE(settings.colored.isModifiable());
}

TEST(TestSettings, EachElementReachesItsOwnSwitchAndBlock) {
    struct Case {
        const char* element;
        int SessionSettings::*sessionSwitch;  // null: the board's flag or none
        SettingValues TestSettings::*block;
        const char* label;
    };
    const Case cases[] = {
        {"show_AR", &SessionSettings::show_AR, &TestSettings::AR, "AR                  "},
        {"show_colored", &SessionSettings::show_colored, &TestSettings::colored, "show colored        "},
        {"show_3D", &SessionSettings::show_3D, &TestSettings::in3D, "show 3D             "},
        {"show_repulsive", &SessionSettings::show_repulsive, &TestSettings::repulsive, "show repulsive      "},
        {"show_attractive", &SessionSettings::show_attractive, &TestSettings::attractive, "show attractive     "},
        {"show_overviews", &SessionSettings::show_overviews, &TestSettings::overviews, "show overview       "},
        {"show_markup", &SessionSettings::show_markup, &TestSettings::markup, "show markup         "},
        {"show_grid_structure", &SessionSettings::show_grid_structure, &TestSettings::gridStructure, nullptr},
        {"show_evaluate", nullptr, &TestSettings::evaluate, "show evaluate       "},
        {"automatic_markup", nullptr, &TestSettings::automaticMarkup, "automatic markup    "},
        {"semiautomatic_markup", nullptr, &TestSettings::semiautomaticMarkup, "semiautomatic markup"},
    };
    int SessionSettings::*const switches[] = {
        &SessionSettings::show_AR,        &SessionSettings::show_colored,
        &SessionSettings::show_3D,        &SessionSettings::show_repulsive,
        &SessionSettings::show_attractive, &SessionSettings::show_overviews,
        &SessionSettings::show_markup,    &SessionSettings::show_grid_structure,
        &SessionSettings::automatic_markup, &SessionSettings::semiautomatic_markup};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.element);
        SessionSettings session;
        for (auto s : switches) session.*s = 0;
        Sudoku board;
        board.setEvaluate(0);
        TestSettings settings;
        const std::string file = std::string("<PARAMS><CONFIG><") + c.element +
                                 " val='1' modifiable='0'/></CONFIG></PARAMS>";
        ASSERT_EQ(1, settings.read(writeScratch("one-switch.xml", file).c_str(), session, board));
        for (auto s : switches) EXPECT_EQ(s == c.sessionSwitch ? 1 : 0, session.*s);
        EXPECT_EQ(c.block == &TestSettings::evaluate ? 1 : 0, board.getEvaluate());
        for (const Case& other : cases)
            EXPECT_EQ(other.block == c.block ? 1 : 0, (settings.*other.block).count()) << other.element;
        const std::string text = printed([&](FILE* out) { settings.print(out); });
        if (c.label) {
            EXPECT_NE(std::string::npos,
                      text.find("    " + std::string(c.label) + " =   yes       ...fixed...\n"));
        }
        // Only that one line holds a value.
        EXPECT_EQ(c.label ? text.find(" yes ") : std::string::npos, text.rfind(" yes ")) << text;
    }

    // Each LOOP child fills its own list and fixes its switch.
    const struct {
        const char* element;
        SettingValues TestSettings::*list;
    } loops[] = {{"GRID", &TestSettings::puzzles},       {"PERMUTATION", &TestSettings::permutations},
                 {"AR", &TestSettings::AR},              {"COLOR", &TestSettings::colored},
                 {"IN3D", &TestSettings::in3D},          {"REPULSIVE", &TestSettings::repulsive},
                 {"ATTRACTIVE", &TestSettings::attractive}, {"OVERVIEW", &TestSettings::overviews}};
    for (const auto& loop : loops) {
        SCOPED_TRACE(loop.element);
        SessionSettings session;
        Sudoku board;
        TestSettings settings;
        const std::string file = std::string("<PARAMS><LOOP><") + loop.element +
                                 " vals='2' val0='7' val1='9'/></LOOP></PARAMS>";
        ASSERT_EQ(1, settings.read(writeScratch("one-loop.xml", file).c_str(), session, board));
        for (const auto& other : loops) {
            const SettingValues& list = settings.*other.list;
            EXPECT_EQ(other.list == loop.list ? 2 : 0, list.count()) << other.element;
            EXPECT_EQ(other.list == loop.list ? 9 : -1, list.at(1)) << other.element;
            // Lists that are no switch keep their flag; only a looped switch is fixed.
            const bool isSwitch = other.list != &TestSettings::puzzles &&
                                  other.list != &TestSettings::permutations;
            EXPECT_EQ(other.list == loop.list && isSwitch ? 0 : 1, list.modifiable) << other.element;
        }
    }
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

TEST(TestSettings, NumbersAndSwitchTexts) {
    EXPECT_EQ(0, leadingInt(""));
    EXPECT_EQ(0, leadingInt("x12"));
    EXPECT_EQ(12, leadingInt("12abc"));
    EXPECT_EQ(-7, leadingInt(" -7"));
    EXPECT_EQ(2147483647, leadingInt("99999999999999999999"));
    EXPECT_EQ(-2147483647 - 1, leadingInt("-99999999999999999999"));
    EXPECT_TRUE(isTrue("T"));
    EXPECT_TRUE(isTrue("true"));
    EXPECT_TRUE(isTrue("10"));
    EXPECT_FALSE(isTrue("F"));
    EXPECT_FALSE(isTrue("Yes"));
    EXPECT_FALSE(isTrue(""));
    EXPECT_FALSE(isTrue(" 1"));
}

TEST(TestSettings, DemoSeries) {
    SessionSettings session;
    Sudoku board;
    TestSettings settings;
    ASSERT_EQ(1, settings.read(TABRELO_DATA "/Tests/demo/config.xml", session, board));
    EXPECT_EQ(2, settings.puzzles.count());
    EXPECT_EQ(2, settings.permutations.count());
    EXPECT_EQ(2, settings.colored.count());
    EXPECT_FALSE(settings.in3D.isModifiable());
    EXPECT_EQ(1, session.show_3D);
    EXPECT_TRUE(settings.markup.isModifiable());
    EXPECT_EQ(0, session.show_AR);
}

}  // namespace
