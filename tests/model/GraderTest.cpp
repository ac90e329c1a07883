#include "Grader.h"
#include "Solver.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

namespace {

void parse(const std::string& text, int grid[81]) {
    ASSERT_EQ(text.size(), 81u);
    for (int i = 0; i < 81; i++) grid[i] = text[i] - '0';
}

int cellAt(int r, int c) { return 9 * r + c; }

// An empty board where every cell may still take every digit.
CandidateGrid openGrid() {
    const int empty[81] = {};
    return CandidateGrid(empty);
}

// Leaves d possible in the unit only at the given cells.
void confine(CandidateGrid& g, int unit, int d, std::initializer_list<int> keep) {
    for (int cell : gridUnits().cells[unit]) {
        bool kept = false;
        for (int k : keep) kept = kept || k == cell;
        if (!kept) g.candidates[cell] &= uint16_t(~(1u << d));
    }
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

TEST(Grader, SinglesAloneMakeAnEasyPuzzle) {
    int grid[81];
    parse("530070000600195000098000060800060003400803001700020006060000280000419005000080079", grid);
    const Grade grade = gradePuzzle(grid);
    EXPECT_EQ(grade.level, Easy);
    EXPECT_TRUE(grade.solved);
    EXPECT_LE(grade.hardest, NakedSingle);
    EXPECT_EQ(grade.uses[HiddenSingle] + grade.uses[NakedSingle], 51);  // one step per empty cell
}

TEST(Grader, PuzzlesWithoutExactlyOneSolutionAreNotGraded) {
    int empty[81] = {};
    EXPECT_EQ(gradePuzzle(empty).level, NotUnique);
    int clash[81] = {};
    clash[0] = clash[1] = 7;
    EXPECT_EQ(gradePuzzle(clash).level, NotUnique);
}

TEST(Grader, APuzzleBeyondTheTechniquesIsEvil) {
    int grid[81];
    parse("000004002200008013004900000500000001000409000060172000700600000020000580810000004", grid);
    const Grade grade = gradePuzzle(grid);
    EXPECT_EQ(grade.level, Evil);
    EXPECT_FALSE(grade.solved);
}

// Puzzles where singles get stuck, one step of the technique gets them going
// again, and singles finish the grid.
struct OneStep {
    const char* puzzle;
    Technique technique;
    int level;
};

const OneStep kOneStep[] = {
    {"500000000009000420000030050002008003000200900310009000007000004000086590001570800", Pointing, Medium},
    {"830000000000000000007039060003000026200500097080071000000600080000007042040100300", Claiming, Medium},
    {"008000000000010003654002000000000000007080000100500640460100500000705090000029080", NakedPair, Medium},
    {"000209146070004280000000000030540000200600005509002000020800560000000030001006700", HiddenPair, Medium},
    {"000080000000000903000306010005008002001050000298000056070504260102003008000010000", NakedTriple, Hard},
    {"074000009100060005000007040600020083000006070090008000000002000030009008007030510", XWing, Hard},
    {"000008000000602097060050034000200008090000045040085000300500000950000060200006010", XYWing, Hard},
    {"745080200080040060300000809004050007510920000070100000000060092000010300000200000", NakedQuad, Hard},
};

TEST(Grader, PointingStrikesTheRestOfTheLine) {
    CandidateGrid g = openGrid();
    confine(g, 18 + 0, 5, {cellAt(0, 0), cellAt(0, 1)});
    const CandidateGrid before = g;
    EXPECT_FALSE(applyTechnique(g, Claiming));
    ASSERT_TRUE(applyTechnique(g, Pointing));
    EXPECT_EQ(lost(before, g, 5), "(0,3)(0,4)(0,5)(0,6)(0,7)(0,8)");
    EXPECT_EQ(candidatesRemoved(before, g), 6);
    EXPECT_FALSE(applyTechnique(g, Pointing));

    g = openGrid();
    confine(g, 18 + 4, 2, {cellAt(3, 5), cellAt(5, 5)});  // a column of the middle box
    const CandidateGrid column = g;
    ASSERT_TRUE(applyTechnique(g, Pointing));
    EXPECT_EQ(lost(column, g, 2), "(0,5)(1,5)(2,5)(6,5)(7,5)(8,5)");
}

TEST(Grader, ClaimingStrikesTheRestOfTheBox) {
    CandidateGrid g = openGrid();
    confine(g, 4, 7, {cellAt(4, 3), cellAt(4, 5)});
    const CandidateGrid before = g;
    EXPECT_FALSE(applyTechnique(g, Pointing));
    ASSERT_TRUE(applyTechnique(g, Claiming));
    EXPECT_EQ(lost(before, g, 7), "(3,3)(3,4)(3,5)(5,3)(5,4)(5,5)");
    EXPECT_EQ(candidatesRemoved(before, g), 6);

    g = openGrid();
    confine(g, 9 + 8, 1, {cellAt(6, 8), cellAt(7, 8), cellAt(8, 8)});
    const CandidateGrid column = g;
    ASSERT_TRUE(applyTechnique(g, Claiming));
    EXPECT_EQ(lost(column, g, 1), "(6,6)(6,7)(7,6)(7,7)(8,6)(8,7)");
}

TEST(Grader, NakedAndHiddenPairs) {
    CandidateGrid g = openGrid();
    g.candidates[cellAt(2, 0)] = g.candidates[cellAt(2, 5)] = (1 << 1) | (1 << 8);
    CandidateGrid before = g;
    EXPECT_FALSE(applyTechnique(g, HiddenPair));
    ASSERT_TRUE(applyTechnique(g, NakedPair));
    EXPECT_EQ(lost(before, g, 1), "(2,1)(2,2)(2,3)(2,4)(2,6)(2,7)(2,8)");
    EXPECT_EQ(lost(before, g, 8), lost(before, g, 1));
    EXPECT_EQ(candidatesRemoved(before, g), 14);

    g = openGrid();
    confine(g, 18 + 8, 3, {cellAt(6, 6), cellAt(8, 8)});
    confine(g, 18 + 8, 6, {cellAt(6, 6), cellAt(8, 8)});
    before = g;
    EXPECT_FALSE(applyTechnique(g, NakedPair));
    ASSERT_TRUE(applyTechnique(g, HiddenPair));
    EXPECT_EQ(g.candidates[cellAt(6, 6)], (1 << 3) | (1 << 6));
    EXPECT_EQ(g.candidates[cellAt(8, 8)], (1 << 3) | (1 << 6));
    EXPECT_EQ(candidatesRemoved(before, g), 14);
}

TEST(Grader, XWingAndSwordfish) {
    CandidateGrid g = openGrid();
    confine(g, 1, 4, {cellAt(1, 2), cellAt(1, 6)});
    confine(g, 7, 4, {cellAt(7, 2), cellAt(7, 6)});
    CandidateGrid before = g;
    ASSERT_TRUE(applyTechnique(g, XWing));
    EXPECT_EQ(lost(before, g, 4),
              "(0,2)(0,6)(2,2)(2,6)(3,2)(3,6)(4,2)(4,6)(5,2)(5,6)(6,2)(6,6)(8,2)(8,6)");

    g = openGrid();
    confine(g, 9 + 0, 9, {cellAt(1, 0), cellAt(4, 0)});
    confine(g, 9 + 3, 9, {cellAt(4, 3), cellAt(8, 3)});
    confine(g, 9 + 7, 9, {cellAt(1, 7), cellAt(8, 7)});
    before = g;
    EXPECT_FALSE(applyTechnique(g, XWing));
    ASSERT_TRUE(applyTechnique(g, Swordfish));
    // Rows 1, 4 and 8 lose 9 outside columns 0, 3 and 7.
    EXPECT_EQ(candidatesRemoved(before, g), 18);
    EXPECT_FALSE(g.hasCandidate(cellAt(4, 5), 9));
    EXPECT_TRUE(g.hasCandidate(cellAt(4, 3), 9));
    EXPECT_TRUE(g.hasCandidate(cellAt(0, 5), 9));
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

    // The same three cells with a pincer that shares both digits with the pivot are no wing.
    g = before;
    g.candidates[cellAt(5, 0)] = (1 << 1) | (1 << 2);
    EXPECT_FALSE(applyTechnique(g, XYWing));
}

}  // namespace
