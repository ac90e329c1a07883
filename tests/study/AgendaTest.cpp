#include "StudyFiles.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

Agenda agendaOf(int length, int step, int current) {
    Agenda agenda;
    for (int i = 0; i < length; i++) agenda.items[i] = AgendaItem{i + 1, 0, 0, 1, 1, 1, 1, 0, 1, 1, 0, 0};
    agenda.length = length;
    agenda.step = step;
    agenda.current = current;
    return agenda;
}

// The last list turns fastest; the walk's start comes from the seed: an odd
// step, the current item inside the agenda.
TEST(Agenda, MoreThanSixtyCombinationsKeepTheFirstSixty) {
    TestSettings settings = seriesSettings();
    for (int grid = 1; grid <= 100; grid++) settings.puzzles.add(grid);
    for (int permutation = 1; permutation < 13; permutation++) settings.permutations.add(permutation);
    for (auto list : {&settings.AR, &settings.in3D, &settings.repulsive, &settings.attractive,
                      &settings.overviews, &settings.markup, &settings.evaluate})
        list->add(1 - list->at(0));
    Agenda agenda;
    testing::internal::CaptureStdout();
    EXPECT_EQ(60, agenda.build(settings, 11));
    EXPECT_NE(testing::internal::GetCapturedStdout().find("60"), std::string::npos);
    // 59 = 0b00111011 over AR, colored, 3D, blocks, funnels, overviews, markup, evaluate.
    const AgendaItem& last = agenda.items[59];
    EXPECT_EQ((std::vector<int>{12, 0, 0, 1, 0, 0, 0, 0, 0, 0}),
              (std::vector<int>{last.grid, last.permutation, last.AR, last.colored, last.in3D,
                                last.repulsive, last.attractive, last.overviews, last.markup, last.evaluate}));
    EXPECT_EQ(0, agenda.items[1].evaluate);
    EXPECT_EQ(1, agenda.items[2].evaluate);
    EXPECT_EQ(0, agenda.items[2].markup);
    EXPECT_EQ(0, agenda.items[0].done);
    EXPECT_EQ(0, agenda.items[0].milliseconds);
    EXPECT_EQ(1, agenda.step % 2);
    EXPECT_LT(agenda.current, 60);
    EXPECT_LT(agenda.step, 60);
}

TEST(Agenda, WalkVisitsEveryOpenItemOnce) {
    EXPECT_EQ((std::vector<int>{0, 3, 1, 4, 2, 5}), walk(agendaOf(6, 3, 0)));
    // A step sharing a divisor with the length still reaches every item.
    std::vector<int> seen = walk(agendaOf(6, 2, 4));
    std::sort(seen.begin(), seen.end());
    EXPECT_EQ((std::vector<int>{0, 1, 2, 3, 4, 5}), seen);
    EXPECT_EQ((std::vector<int>{0}), walk(agendaOf(1, 1, 0)));
    Agenda unsolved = agendaOf(6, 3, 0);  // skipping without playing goes round
    for (int expected : {3, 0, 3, 0}) EXPECT_EQ(expected, unsolved.nextItem());
    unsolved.record(42);
    EXPECT_EQ(42, unsolved.items[0].milliseconds);
    EXPECT_EQ(1, unsolved.currentItem());

    Agenda none;  // no test series: slot 0, never written while empty
    EXPECT_EQ(0, none.remaining());
    EXPECT_EQ(0, none.currentItem());
    none.record(9);
    EXPECT_EQ(1, none.items[0].done);
}

}  // namespace
