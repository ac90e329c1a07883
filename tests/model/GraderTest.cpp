#include "Grader.h"
#include "Solver.h"

#include <gtest/gtest.h>

#include <string>

namespace {

void parse(const std::string& text, int grid[81]) {
    ASSERT_EQ(text.size(), 81u);
    for (int i = 0; i < 81; i++) grid[i] = text[i] - '0';
}

TEST(Grader, SinglesSolveOneStepPerCellEvilStaysUnsolvedAndUngradable) {
    int grid[81];
    parse("530070000600195000098000060800060003400803001700020006060000280000419005000080079", grid);
    Grade grade = gradePuzzle(grid);
    EXPECT_TRUE(grade.solved);
    EXPECT_LE(grade.hardest, NakedSingle);
    EXPECT_EQ(grade.uses[HiddenSingle] + grade.uses[NakedSingle], 51);  // one step per empty cell

    parse("000004002200008013004900000500000001000409000060172000700600000020000580810000004", grid);
    grade = gradePuzzle(grid);
    EXPECT_FALSE(grade.solved);

    int empty[81] = {}, clash[81] = {};
    clash[0] = clash[1] = 7;
    EXPECT_EQ(gradePuzzle(empty).level, NotUnique);
    EXPECT_EQ(gradePuzzle(clash).level, NotUnique);
}

// Puzzles where singles get stuck, one step of the technique gets them going
// again, and singles finish the grid.
TEST(Grader, OneStepOfATechniqueUnlocksThePuzzle) {
    const struct {
        const char* puzzle;
        Technique technique;
        int level;
    } kOneStep[] = {
        {"500000000009000420000030050002008003000200900310009000007000004000086590001570800", Pointing, Medium},
        {"830000000000000000007039060003000026200500097080071000000600080000007042040100300", Claiming, Medium},
        {"008000000000010003654002000000000000007080000100500640460100500000705090000029080", NakedPair, Medium},
        {"000209146070004280000000000030540000200600005509002000020800560000000030001006700", HiddenPair, Medium},
        {"000080000000000903000306010005008002001050000298000056070504260102003008000010000", NakedTriple, Hard},
        {"074000009100060005000007040600020083000006070090008000000002000030009008007030510", XWing, Hard},
        {"000008000000602097060050034000200008090000045040085000300500000950000060200006010", XYWing, Hard},
        {"745080200080040060300000809004050007510920000070100000000060092000010300000200000", NakedQuad, Hard},
    };
    for (const auto& c : kOneStep) {
        SCOPED_TRACE(techniqueName(c.technique));
        int grid[81];
        parse(c.puzzle, grid);
        const Grade grade = gradePuzzle(grid);
        EXPECT_EQ(grade.level, c.level);
        EXPECT_TRUE(grade.solved);
        EXPECT_EQ(grade.hardest, c.technique);
        for (int t = Pointing; t < kTechniqueCount; t++)
            EXPECT_EQ(grade.uses[t], t == c.technique ? 1 : 0) << techniqueName(t);
        EXPECT_FALSE(gradePuzzle(grid, c.technique).solved);
        EXPECT_TRUE(gradePuzzle(grid, c.technique + 1).solved);
    }
}

}  // namespace
