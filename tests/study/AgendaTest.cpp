#include "Agenda.h"
#include "SessionSettings.h"
#include "StudyFiles.h"
#include "Sudoku.h"
#include "TestSettings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// Puzzles {12, 80}, permutations {0, 5}, colored {1, 0}, one value for the rest.
TestSettings seriesSettings() {
    TestSettings settings;
    for (int grid : {12, 80}) settings.puzzles.add(grid);
    for (int permutation : {0, 5}) settings.permutations.add(permutation);
    for (int colored : {1, 0}) settings.colored.add(colored);
    settings.AR.add(0);
    settings.in3D.add(1);
    settings.repulsive.add(1);
    settings.attractive.add(1);
    settings.overviews.add(0);
    settings.markup.add(1);
    settings.evaluate.add(1);
    return settings;
}

Agenda agendaOf(int length, int step, int current) {
    Agenda agenda;
    for (int i = 0; i < length; i++) {
        agenda.items[i] = AgendaItem{i + 1, 0, 0, 1, 1, 1, 1, 0, 1, 1, 0, 0};
    }
    agenda.length = length;
    agenda.step = step;
    agenda.current = current;
    return agenda;
}

TEST(Agenda, BuildNestsEveryCombination) {
    const TestSettings settings = seriesSettings();
    Agenda agenda;
    testing::internal::CaptureStdout();
    EXPECT_EQ(8, agenda.build(settings, 7));
    const std::string out = testing::internal::GetCapturedStdout();
    const int expected[8][3] = {{12, 0, 1}, {12, 0, 0}, {12, 5, 1}, {12, 5, 0},
                                {80, 0, 1}, {80, 0, 0}, {80, 5, 1}, {80, 5, 0}};
    for (int i = 0; i < 8; i++) {
        const AgendaItem& item = agenda.items[i];
        EXPECT_EQ(expected[i][0], item.grid) << i;
        EXPECT_EQ(expected[i][1], item.permutation) << i;
        EXPECT_EQ(expected[i][2], item.colored) << i;
        EXPECT_EQ(0, item.AR);
        EXPECT_EQ(1, item.in3D);
        EXPECT_EQ(0, item.overviews);
        EXPECT_EQ(1, item.evaluate);
        EXPECT_EQ(0, item.done);
        EXPECT_EQ(0, item.milliseconds);
    }
    EXPECT_EQ(-1, agenda.items[8].grid);
    EXPECT_EQ(8, agenda.remaining());
    // The walk's start comes from the seed: odd step, current inside the agenda.
    EXPECT_EQ(1, agenda.step % 2);
    EXPECT_GE(agenda.step, 1);
    EXPECT_LT(agenda.step, 8);
    EXPECT_GE(agenda.current, 0);
    EXPECT_LT(agenda.current, 8);
    EXPECT_EQ("curr = " + std::to_string(agenda.current) + ", inc = " + std::to_string(agenda.step) + "\n",
              out);

    Agenda again;
    testing::internal::CaptureStdout();
    again.build(settings, 7);
    EXPECT_EQ(out, testing::internal::GetCapturedStdout());
    EXPECT_EQ(agenda.step, again.step);
    EXPECT_EQ(agenda.current, again.current);
}

TEST(Agenda, MoreThanSixtyCombinationsKeepTheFirstSixty) {
    TestSettings settings = seriesSettings();
    settings.puzzles.clear();
    for (int grid = 1; grid <= 100; grid++) settings.puzzles.add(grid);
    for (int permutation = 1; permutation < 13; permutation++) settings.permutations.add(permutation);
    for (auto list : {&settings.AR, &settings.in3D, &settings.repulsive, &settings.attractive,
                      &settings.overviews, &settings.markup, &settings.evaluate})
        list->add(1 - list->at(0));
    Agenda agenda;
    testing::internal::CaptureStdout();
    EXPECT_EQ(60, agenda.build(settings, 11));
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ("The test settings give 332800 games; the agenda keeps the first 60.\n"
              "curr = " + std::to_string(agenda.current) + ", inc = " + std::to_string(agenda.step) + "\n",
              out);
    EXPECT_EQ(1, agenda.items[59].grid);
    EXPECT_EQ(0, agenda.items[59].permutation);
    // 59 = 0b00111011 over AR, colored, 3D, blocks, funnels, overviews, markup, evaluate.
    const AgendaItem& last = agenda.items[59];
    EXPECT_EQ((std::vector<int>{0, 1, 0, 0, 0, 0, 0, 0}),
              (std::vector<int>{last.AR, last.colored, last.in3D, last.repulsive, last.attractive,
                                last.overviews, last.markup, last.evaluate}));
    EXPECT_EQ(0, agenda.items[1].evaluate);
    EXPECT_EQ(1, agenda.items[1].markup);
    EXPECT_EQ(1, agenda.items[2].evaluate);
    EXPECT_EQ(0, agenda.items[2].markup);
    EXPECT_LT(agenda.current, 60);
    EXPECT_LT(agenda.step, 60);
}

TEST(Agenda, WalkWithStepThree) {
    Agenda agenda = agendaOf(6, 3, 0);
    std::vector<int> games = {agenda.currentItem()};
    agenda.record(1000);
    for (int i = 0; i < 5; i++) {
        games.push_back(agenda.nextItem());
        agenda.record(1000);
    }
    EXPECT_EQ((std::vector<int>{0, 3, 1, 4, 2, 5}), games);
    EXPECT_EQ(-1, agenda.nextItem());
    EXPECT_EQ(-1, agenda.currentItem());

    Agenda unsolved = agendaOf(6, 3, 0);
    for (int expected : {3, 0, 3, 0}) EXPECT_EQ(expected, unsolved.nextItem());
}

TEST(Agenda, DoneItemsAreSkippedWhateverTheStep) {
    Agenda agenda = agendaOf(6, 2, 4);  // a step sharing a divisor with the length
    std::vector<int> seen;
    for (int index = agenda.currentItem(); index >= 0; index = agenda.nextItem()) {
        seen.push_back(index);
        agenda.record(5);
        ASSERT_LE(seen.size(), 6u);
    }
    std::sort(seen.begin(), seen.end());
    EXPECT_EQ((std::vector<int>{0, 1, 2, 3, 4, 5}), seen);
}

TEST(Agenda, OneItemAndNoItem) {
    Agenda one = agendaOf(1, 1, 0);
    EXPECT_EQ(0, one.currentItem());
    EXPECT_EQ(0, one.nextItem());
    one.record(42);
    EXPECT_EQ(-1, one.currentItem());
    EXPECT_EQ(42, one.items[0].milliseconds);

    Agenda none;
    EXPECT_EQ(0, none.remaining());
    EXPECT_EQ(0, none.currentItem());
    none.record(9);  // no test series: slot 0, never written while empty
    EXPECT_EQ(1, none.items[0].done);
}

}  // namespace
