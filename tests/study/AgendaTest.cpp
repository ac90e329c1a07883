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

TEST(Agenda, StepThenStartFromTheSeededGenerator) {
    // Five, six and eight games: step from the first draw modulo the length
    // (made odd, at least 1), the start from the second.
    for (int games : {5, 6, 8}) {
        TestSettings settings = seriesSettings();
        settings.puzzles.clear();
        settings.permutations.clear();
        settings.colored.clear();
        settings.colored.add(1);
        settings.permutations.add(0);
        for (int grid = 1; grid <= games; grid++) settings.puzzles.add(grid);
        for (unsigned seed : {1u, 2u, 3u, 17u, 4242u}) {
            std::srand(seed);
            const int first = std::rand();
            const int second = std::rand();
            int step = first % games;
            if (step % 2 == 0) step--;
            if (step < 1) step = 1;
            Agenda agenda;
            testing::internal::CaptureStdout();
            ASSERT_EQ(games, agenda.build(settings, seed));
            testing::internal::GetCapturedStdout();
            EXPECT_EQ(step, agenda.step) << games << " games, seed " << seed;
            EXPECT_EQ(second % games, agenda.current) << games << " games, seed " << seed;
        }
    }
}

TEST(Agenda, SeedsGiveDifferentWalks) {
    TestSettings settings = seriesSettings();
    settings.AR.add(1);
    settings.in3D.add(0);  // 32 items
    int steps = 0, starts = 0;
    Agenda first;
    testing::internal::CaptureStdout();
    first.build(settings, 1);
    for (unsigned seed = 2; seed < 40; seed++) {
        Agenda other;
        other.build(settings, seed);
        steps += other.step != first.step;
        starts += other.current != first.current;
        EXPECT_EQ(1, other.step % 2);
    }
    testing::internal::GetCapturedStdout();
    EXPECT_GT(steps, 0);
    EXPECT_GT(starts, 0);
}

TEST(Agenda, EmptyListMeansNoGames) {
    TestSettings settings = seriesSettings();
    settings.markup.clear();
    Agenda agenda;
    testing::internal::CaptureStdout();
    EXPECT_EQ(0, agenda.build(settings, 3));
    EXPECT_EQ("curr = 0, inc = 1\n", testing::internal::GetCapturedStdout());
    EXPECT_EQ(0, agenda.remaining());
}

// Each list that leaves the series without games is named in the file's
// own words: its LOOP element or its CONFIG switch.
TEST(Agenda, MissingConditionNamesTheEmptyList) {
    EXPECT_EQ(nullptr, missingCondition(seriesSettings()));
    const struct {
        SettingValues TestSettings::*list;
        const char* element;
    } kLists[] = {{&TestSettings::puzzles, "GRID"},          {&TestSettings::permutations, "PERMUTATION"},
                  {&TestSettings::AR, "show_AR"},            {&TestSettings::colored, "COLOR"},
                  {&TestSettings::in3D, "IN3D"},             {&TestSettings::repulsive, "show_repulsive"},
                  {&TestSettings::attractive, "ATTRACTIVE"}, {&TestSettings::overviews, "OVERVIEW"},
                  {&TestSettings::markup, "show_markup"},    {&TestSettings::evaluate, "show_evaluate"}};
    for (const auto& c : kLists) {
        TestSettings settings = seriesSettings();
        (settings.*c.list).clear();
        const char* missing = missingCondition(settings);
        ASSERT_NE(nullptr, missing) << c.element;
        EXPECT_NE(nullptr, std::strstr(missing, c.element)) << missing;
    }
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

TEST(Agenda, TimeSplitAndPrintedForm) {
    EXPECT_EQ(" 1:02:05", formatTime(3725000));
    EXPECT_EQ("    1:05", formatTime(65000));
    EXPECT_EQ("       7", formatTime(7000));
    EXPECT_EQ("       0", formatTime(-5000));
    EXPECT_EQ("       0", formatTime(999));
    EXPECT_EQ("10:00:00", formatTime(36000000));
    int h, m, s;
    splitTime(3725999, h, m, s);
    EXPECT_EQ(1, h);
    EXPECT_EQ(2, m);
    EXPECT_EQ(5, s);
    splitTime(-1, h, m, s);
    EXPECT_EQ(0, h + m + s);
}

TEST(Agenda, Printout) {
    const TestSettings settings = seriesSettings();
    Agenda agenda;
    testing::internal::CaptureStdout();
    agenda.build(settings, 5);
    testing::internal::GetCapturedStdout();
    agenda.current = 0;
    agenda.record(3725000);
    agenda.current = 3;
    agenda.record(65000);
    agenda.current = 5;
    agenda.record(7000);
    agenda.current = 2;
    EXPECT_EQ("Agenda: (8 tests)\n"
              "=======\n"
              "    grid 12   p0       color    1:02:05\n"
              "    grid 12   p0    no-color   \n"
              " -> grid 12    p5      color   \n"
              "    grid 12    p5   no-color       1:05\n"
              "     grid 80  p0       color   \n"
              "     grid 80  p0    no-color          7\n"
              "     grid 80   p5      color   \n"
              "     grid 80   p5   no-color   \n"
              "\n",
              printed([&](FILE* out) { agenda.print(settings, out); }));

    // Values missing from the lists print as odd positions; a list of one value prints nothing.
    TestSettings other;
    other.puzzles.add(80);
    other.permutations.add(5);
    other.AR.add(1);
    other.AR.add(0);
    agenda.length = 1;
    agenda.current = 0;
    EXPECT_EQ("Agenda: (1 tests)\n=======\n ->  grid 12   p0   no-AR    1:02:05\n\n",
              printed([&](FILE* out) { agenda.print(other, out); }));
}

TEST(Agenda, PrintoutOfEveryVariedCondition) {
    TestSettings settings;
    settings.puzzles.add(3);
    settings.permutations.add(2);
    for (auto list : {&settings.AR, &settings.colored, &settings.in3D, &settings.repulsive,
                      &settings.attractive, &settings.overviews, &settings.markup, &settings.evaluate}) {
        list->add(1);
        list->add(0);
    }
    Agenda agenda;
    agenda.length = 2;
    agenda.current = 1;
    agenda.items[0] = AgendaItem{3, 2, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0};
    agenda.items[1] = AgendaItem{3, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ("Agenda: (2 tests)\n"
              "=======\n"
              "    grid 3   p2       AR      color      3D      blocks      funnels      overviews"
              "      markups      error marks   \n"
              " -> grid 3   p2    no-AR   no-color   no-3D   no-blocks   no-funnels   no-overviews"
              "   no-markups   no-error marks   \n"
              "\n",
              printed([&](FILE* out) { agenda.print(settings, out); }));
}

TEST(Agenda, ItemSetsTheSession) {
    SessionSettings session;
    Sudoku board;
    const AgendaItem item{63, 5, 0, 0, 0, 0, 1, 0, 1, 0, 0, 0};
    item.applyTo(session, board);
    EXPECT_EQ(63, session.gridNumber);
    EXPECT_STREQ("sudoku-grids/g63.txt", session.gridPath());
    EXPECT_EQ(5, session.permutation);
    EXPECT_EQ(0, session.show_AR);
    EXPECT_EQ(0, session.show_colored);
    EXPECT_EQ(0, session.show_3D);
    EXPECT_EQ(0, session.show_repulsive);
    EXPECT_EQ(1, session.show_attractive);
    EXPECT_EQ(0, session.show_overviews);
    EXPECT_EQ(1, session.show_markup);
    EXPECT_EQ(0, board.getEvaluate());
    // Missing values (-1) from a user file leave the switches alone.
    const AgendaItem unknown{1, 0, -1, -1, -1, -1, -1, -1, -1, -1, -1, 0};
    unknown.applyTo(session, board);
    EXPECT_EQ(0, session.show_colored);
    EXPECT_EQ(0, board.getEvaluate());
}

TEST(Agenda, DemoSeriesIsEightGames) {
    SessionSettings session;
    Sudoku board;
    TestSettings settings;
    ASSERT_EQ(1, settings.read(TABRELO_DATA "/Tests/demo/config.xml", session, board));
    Agenda agenda;
    testing::internal::CaptureStdout();
    EXPECT_EQ(8, agenda.build(settings, 1));
    testing::internal::GetCapturedStdout();
    for (int i = 0; i < 8; i++) {
        EXPECT_EQ(1, agenda.items[i].in3D);
        EXPECT_EQ(0, agenda.items[i].AR);
        EXPECT_EQ(i % 2 == 0 ? 1 : 0, agenda.items[i].colored);
    }
}

}  // namespace
