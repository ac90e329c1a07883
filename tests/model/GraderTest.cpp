#include "Grader.h"
#include "Solver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <string>

namespace {

void parse(const std::string& text, int grid[81]) {
    ASSERT_EQ(text.size(), 81u);
    for (int i = 0; i < 81; i++) grid[i] = text[i] - '0';
}

int cellAt(int r, int c) { return 9 * r + c; }

CandidateGrid openGrid() {
    const int empty[81] = {};
    return CandidateGrid(empty);
}

// The cells that lost d between two positions.
std::string lost(const CandidateGrid& before, const CandidateGrid& after, int d) {
    std::string cells;
    for (int cell = 0; cell < 81; cell++)
        if (before.hasCandidate(cell, d) && !after.hasCandidate(cell, d))
            cells += "(" + std::to_string(cell / 9) + "," + std::to_string(cell % 9) + ")";
    return cells;
}

int candidatesRemoved(const CandidateGrid& before, const CandidateGrid& after) {
    int n = 0;
    for (int cell = 0; cell < 81; cell++)
        n += __builtin_popcount(before.candidates[cell] & ~after.candidates[cell]);
    return n;
}

TEST(Grader, EasyEvilAndUngradable) {
    int grid[81];
    parse("530070000600195000098000060800060003400803001700020006060000280000419005000080079", grid);
    Grade grade = gradePuzzle(grid);
    EXPECT_EQ(grade.level, Easy);
    EXPECT_TRUE(grade.solved);
    EXPECT_LE(grade.hardest, NakedSingle);
    EXPECT_EQ(grade.uses[HiddenSingle] + grade.uses[NakedSingle], 51);  // one step per empty cell

    parse("000004002200008013004900000500000001000409000060172000700600000020000580810000004", grid);
    grade = gradePuzzle(grid);
    EXPECT_EQ(grade.level, Evil);
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

TEST(Grader, PointingStrikesTheRestOfTheLine) {
    // 5 in box 0 only in row 0, and 2 in box 4 only in column 5.
    const struct {
        int box, digit;
        std::initializer_list<int> keep;
        const char* lost;
    } kCases[] = {{0, 5, {cellAt(0, 0), cellAt(0, 1)}, "(0,3)(0,4)(0,5)(0,6)(0,7)(0,8)"},
                  {4, 2, {cellAt(3, 5), cellAt(5, 5)}, "(0,5)(1,5)(2,5)(6,5)(7,5)(8,5)"}};
    for (const auto& c : kCases) {
        CandidateGrid g = openGrid();
        for (int cell : gridUnits().cells[18 + c.box])
            if (std::find(c.keep.begin(), c.keep.end(), cell) == c.keep.end())
                g.candidates[cell] &= uint16_t(~(1u << c.digit));
        const CandidateGrid before = g;
        EXPECT_FALSE(applyTechnique(g, Claiming));
        ASSERT_TRUE(applyTechnique(g, Pointing));
        EXPECT_EQ(lost(before, g, c.digit), c.lost);
        EXPECT_EQ(candidatesRemoved(before, g), 6);
        EXPECT_FALSE(applyTechnique(g, Pointing));
    }
}

TEST(Grader, XYWingStrikesWhatBothPincersSee) {
    CandidateGrid g = openGrid();
    g.candidates[cellAt(0, 0)] = (1 << 1) | (1 << 2);  // pivot
    g.candidates[cellAt(0, 5)] = (1 << 1) | (1 << 3);  // pincer in its row
    g.candidates[cellAt(5, 0)] = (1 << 2) | (1 << 3);  // pincer in its column
    const CandidateGrid before = g;
    ASSERT_TRUE(applyTechnique(g, XYWing));
    EXPECT_EQ(lost(before, g, 3), "(5,5)");
    EXPECT_EQ(candidatesRemoved(before, g), 1);
    EXPECT_FALSE(applyTechnique(g, XYWing));
    // A pincer that shares both digits with the pivot makes no wing.
    g = before;
    g.candidates[cellAt(5, 0)] = (1 << 1) | (1 << 2);
    EXPECT_FALSE(applyTechnique(g, XYWing));
}

}  // namespace
