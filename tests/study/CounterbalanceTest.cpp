#include "Agenda.h"
#include "Counterbalance.h"
#include "SessionSettings.h"
#include "StudyFiles.h"
#include "Sudoku.h"
#include "TestSettings.h"
#include "XMLDoc.h"

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
    const std::string text =
        "<PARAMS><CONFIG><show_AR val=\"0\"/><show_colored val=\"1\"/><show_3D val=\"0\"/>"
        "<show_repulsive val=\"1\"/><show_attractive val=\"1\"/><show_overviews val=\"0\"/>"
        "<show_markup val=\"1\"/><show_evaluate val=\"1\"/></CONFIG><COUNTERBALANCE val=\"1\"/>"
        "<LOOP><GRID vals=\"2\" val0=\"3\" val1=\"4\"/><PERMUTATION vals=\"1\" val0=\"2\"/>"
        "<COLOR vals=\"2\" val0=\"1\" val1=\"0\"/></LOOP></PARAMS>";
    XMLDoc doc;
    ASSERT_TRUE(doc.readText(text.data(), text.size()));
    TestSettings settings;
    SessionSettings session;
    Sudoku board;
    settings.read(doc, session, board);
    ASSERT_EQ(settings.counterbalance, 1);
    const std::string folder = scratchPath("balanced");
    std::system(("rm -rf '" + folder + "' && mkdir -p '" + folder + "'").c_str());
    Agenda plain;
    plain.fill(settings);
    for (int k = 0; k < 4; k++) {
        Agenda agenda;
        testing::internal::CaptureStdout();
        buildAgenda(agenda, settings, folder.c_str(), 1);
        EXPECT_NE(testing::internal::GetCapturedStdout().find(std::to_string(k + 1)), std::string::npos);
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
