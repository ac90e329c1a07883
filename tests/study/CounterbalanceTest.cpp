#include "Counterbalance.h"
#include "StudyFiles.h"

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

// An item's grid, permutation and colour in one number.
int gameOf(const AgendaItem& item) { return item.grid * 100 + item.permutation * 10 + item.colored; }

std::vector<int> playedGames(const Agenda& agenda) {
    std::vector<int> games;
    for (int i : walk(agenda)) games.push_back(gameOf(agenda.items[i]));
    return games;
}

// Each new participant of a counterbalanced series takes the next row, and
// keeps it when the agenda is read back.
TEST(Counterbalance, NewPlayersTakeTheNextRowAndKeepIt) {
    TestSettings settings = seriesSettings();
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
        ASSERT_EQ(agenda.length, 8);
        std::vector<int> expected;
        for (int game : williamsRow(8, k)) expected.push_back(gameOf(plain.items[game]));
        EXPECT_EQ(playedGames(agenda), expected) << k;
        const std::string path = folder + "/p" + std::to_string(k) + ".xml";
        ASSERT_TRUE(agenda.write(path.c_str(), "p"));
        Agenda resumed;
        ASSERT_EQ(resumed.read(path.c_str()), 8);
        EXPECT_EQ(playedGames(resumed), expected) << k;
    }
}

}  // namespace
