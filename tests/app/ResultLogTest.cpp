#include "ResultLog.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

TEST(ResultLog, WideFieldsGrowInsteadOfBeingCut) {
    setenv("TZ", "UTC", 1);
    tzset();
    GameResult r;
    r.gridNumber = 1000;
    r.difficulty = 4;
    r.gameMilliseconds = 3725000;
    r.in3D = 1;
    r.arMode = 1;
    r.userName = "Maximiliane-Sophie";
    r.clockStarted = 1796546250;  // Sun Dec  6 08:37:30 2026 UTC
    const std::string line = formatResultLine(r, true);
    EXPECT_EQ(line.substr(0, 13), "1000  ****   ");
    EXPECT_NE(line.find("  bw  3d  "), std::string::npos);
    EXPECT_NE(line.find(" 1:02:05"), std::string::npos);
    EXPECT_NE(line.find("   +  Maximiliane-Sophie  Sun Dec"), std::string::npos);
}

}  // namespace
