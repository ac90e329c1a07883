#include "Agenda.h"
#include "Counterbalance.h"
#include "StudyFiles.h"
#include "TestSettings.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <utility>

namespace {

// Over 2n participants every block of n has each game once in every
// position, and every ordered pair of neighbours comes up equally often.
TEST(Counterbalance, WilliamsRowsAreBalanced) {
    for (int n = 1; n <= 9; n++) {
        std::map<std::pair<int, int>, int> pairs;
        for (int block = 0; block < 2; block++) {
            std::vector<std::set<int>> games(n);
            for (int k = block * n; k < (block + 1) * n; k++) {
                const std::vector<int> row = williamsRow(n, k);
                ASSERT_EQ(std::set<int>(row.begin(), row.end()).size(), (size_t)n) << n << " " << k;
                for (int i = 0; i < n; i++) games[i].insert(row[i]);
                for (int i = 0; i + 1 < n; i++) pairs[{row[i], row[i + 1]}]++;
            }
            for (int i = 0; i < n; i++) EXPECT_EQ(games[i].size(), (size_t)n) << n;
        }
        EXPECT_EQ(pairs.size(), (size_t)(n * (n - 1))) << n;
        for (const auto& pair : pairs) EXPECT_EQ(pair.second, 2) << n;
    }
}

std::vector<int> playedGrids(Agenda agenda) {
    std::vector<int> order;
    for (int i = agenda.length > 0 ? agenda.currentItem() : -1; i >= 0; i = agenda.nextItem()) {
        order.push_back(agenda.items[i].grid * 10 + agenda.items[i].colored);
        agenda.record(1);
    }
    return order;
}

// Each new participant of a counterbalanced series takes the next row, and
// keeps it when the agenda is read back.
TEST(Counterbalance, NewPlayersTakeTheNextRowAndKeepIt) {
    TestSettings settings;  // grids {3, 4}, colored {1, 0}, one value for the rest
    settings.puzzles.add(3);
    settings.puzzles.add(4);
    settings.colored.add(1);
    settings.colored.add(0);
    for (auto list : {&settings.permutations, &settings.AR, &settings.in3D, &settings.repulsive,
                      &settings.attractive, &settings.overviews, &settings.markup, &settings.evaluate})
        list->add(1);
    settings.counterbalance = 1;
    const std::string folder = scratchPath("balanced");
    std::system(("rm -rf '" + folder + "' && mkdir -p '" + folder + "'").c_str());
    Agenda plain;
    plain.fill(settings);
    for (int k = 0; k < 4; k++) {
        Agenda agenda;
        testing::internal::CaptureStdout();
        buildAgenda(agenda, settings, folder.c_str(), 1);
        testing::internal::GetCapturedStdout();
        ASSERT_EQ(agenda.length, 4);
        std::vector<int> expected;
        for (int game : williamsRow(4, k))
            expected.push_back(plain.items[game].grid * 10 + plain.items[game].colored);
        EXPECT_EQ(playedGrids(agenda), expected) << k;
        const std::string path = folder + "/p" + std::to_string(k) + ".xml";
        ASSERT_TRUE(agenda.write(path.c_str(), "p"));
        Agenda resumed;
        ASSERT_EQ(resumed.read(path.c_str()), 4);
        EXPECT_EQ(playedGrids(resumed), expected) << k;
    }
}

}  // namespace
