#include "ResultLog.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

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

}  // namespace
