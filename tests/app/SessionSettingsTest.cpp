#include "SessionSettings.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string userFile(const char* test, const char* name) {
    SessionSettings s;
    s.setTestName(test);
    s.setUserName(name);
    return s.userPath();
}

TEST(SessionSettings, StartValuesAndPaths) {
    SessionSettings s;
    EXPECT_STREQ(s.userName, "Anonymous");
    EXPECT_STREQ(s.windowTitle, "Vitrelo   - Anonymous -");
    EXPECT_STREQ(s.gridPath(), "sudoku-grids/g0.txt");  // until a grid number is set
    EXPECT_STREQ(s.testFolder, "Tests/");
    s.setGridNumber(17);
    EXPECT_STREQ(s.gridPath(), "sudoku-grids/g17.txt");
    s.setTestName("study1");
    EXPECT_STREQ(s.settingsPath, "Tests/study1/config.xml");
    s.setUserName("alice");
    EXPECT_STREQ(s.userPath(), "Tests/study1/alice.xml");
}

TEST(SessionSettings, SwitchSettersTakeOnlyZeroAndOne) {
    SessionSettings s;
    s.setShow3D(0);
    EXPECT_EQ(s.getShow3D(), 0);
    s.setShow3D(7);
    EXPECT_EQ(s.getShow3D(), 0);
    s.toggleShow3D();
    EXPECT_EQ(s.getShow3D(), 1);
    s.setArMode(-1);
    EXPECT_EQ(s.getArMode(), 0);
}

TEST(SessionSettings, PlayerNamesMakeSafeStableFileNames) {
    EXPECT_EQ(userFile("t", "../../etc/passwd"), "Tests/t/___.._etc_passwd.xml");
    EXPECT_EQ(userFile("t", "a\\b:c"), "Tests/t/a_b_c.xml");
    EXPECT_EQ(userFile("t", ".."), "Tests/t/unnamed.xml");
    EXPECT_EQ(userFile("t", ""), "Tests/t/unnamed.xml");
    EXPECT_EQ(userFile("t", "\x01\x02"), "Tests/t/unnamed.xml");
    EXPECT_EQ(userFile("t", "Jo Ann.Smith"), "Tests/t/Jo Ann.Smith.xml");
    EXPECT_EQ(userFile("t", "J\xFCrgen"), "Tests/t/J\xFCrgen.xml");
    // The same name gives the same file on every start, so resuming works.
    EXPECT_EQ(userFile("t", "x/y"), userFile("t", "x/y"));
}

TEST(SessionSettings, LongNamesKeepTheAgendaFileKind) {
    const std::string name(79, 'n');
    const std::string path = userFile("a-rather-long-test-name", name.c_str());
    EXPECT_LE(path.size(), 79u);
    EXPECT_EQ(path.substr(path.size() - 4), ".xml");
    EXPECT_EQ(path.rfind("Tests/a-rather-long-test-name/nnnn", 0), 0u);
}

}  // namespace
