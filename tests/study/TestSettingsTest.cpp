#include "SessionSettings.h"
#include "StudyFiles.h"
#include "Sudoku.h"
#include "TestSettings.h"

#include <gtest/gtest.h>

namespace {

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
