#include "ResultLog.h"

#include "../TextHelpers.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

namespace {

class ResultLog : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("TZ", "UTC", 1);
        tzset();
        r.gridNumber = 12;
        r.difficulty = 1;
        r.permutation = 3;
        r.gameMilliseconds = 65000;
        r.turningMilliseconds = 7000;
        r.turningCount = 2;
        r.colored = 1;
        r.overviews = 1;
        r.attractive = 1;
        r.markup = 1;
        r.rememberCount = 4;
        r.userName = "alice";
        r.clockStarted = 1796546250;  // Sun Dec  6 08:37:30 2026 UTC
    }
    GameResult r;
};

TEST_F(ResultLog, GameLeftWithEmptyCellsAndAConflict) {
    r.emptyCells = 3;
    r.conflicts = 1;
    EXPECT_EQ(formatResultLine(r, true),
              "  12  *      "
              "   3      1:05         7  2      3     1   c  2d  + - + + -      4   -       alice  "
              "Sun Dec  6 08:37:30 2026\n");
    EXPECT_EQ(formatResultLine(r, false),
              "  12  *      "
              "   3      1:05         7  2   c  2d  + - + + -      4   -       alice  "
              "Sun Dec  6 08:37:30 2026\n");
}

TEST_F(ResultLog, WideFieldsGrowInsteadOfBeingCut) {
    r.gridNumber = 1000;
    r.difficulty = 4;
    r.userName = "Maximiliane-Sophie";
    r.arMode = 1;
    r.colored = 0;
    r.in3D = 1;
    r.gameMilliseconds = 3725000;
    const std::string line = formatResultLine(r, true);
    EXPECT_EQ(line.substr(0, 13), "1000  ****   ");
    EXPECT_NE(line.find("  bw  3d  "), std::string::npos);
    EXPECT_NE(line.find(" 1:02:05"), std::string::npos);
    EXPECT_NE(line.find("   +  Maximiliane-Sophie  Sun Dec"), std::string::npos);
}

TEST_F(ResultLog, FullBoardGoesToBothFilesAndMissingFolderIsReported) {
    const std::string folder = std::string(::testing::TempDir()) + "resultlog_test";
    mkdir(folder.c_str(), 0755);
    std::remove((folder + "/log.txt").c_str());
    std::remove((folder + "/finishedgames.txt").c_str());

    r.emptyCells = 3;
    r.conflicts = 1;
    appendResults(folder.c_str(), r, stdout);
    const std::string leftLine = formatResultLine(r, true);
    r.emptyCells = 0;
    r.conflicts = 2;
    appendResults(folder.c_str(), r, stdout);

    EXPECT_EQ(readFile(folder + "/log.txt"), leftLine + formatResultLine(r, true));
    EXPECT_NE(formatResultLine(r, true).find("  2      0     2   c"), std::string::npos);
    EXPECT_EQ(readFile(folder + "/finishedgames.txt"), formatResultLine(r, false));

    testing::internal::CaptureStdout();
    appendResults("/nonexistent-test-folder", r, stdout);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "cannot open file /nonexistent-test-folder/log.txt\n"
              "cannot open file /nonexistent-test-folder/finishedgames.txt\n");
}

}  // namespace
