#include "../TextHelpers.h"
#include "Agenda.h"
#include "Counterbalance.h"
#include "SessionSettings.h"
#include "Sudoku.h"
#include "TestSettings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <csignal>
#include <map>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Puzzles {12, 80}, permutations {0, 5}, colored {1, 0}, one value for the rest.
TestSettings seriesSettings() {
    TestSettings settings;
    for (int grid : {12, 80}) settings.puzzles.add(grid);
    for (int permutation : {0, 5}) settings.permutations.add(permutation);
    for (int colored : {1, 0}) settings.colored.add(colored);
    for (auto list : {&settings.AR, &settings.overviews}) list->add(0);
    for (auto list : {&settings.in3D, &settings.repulsive, &settings.attractive, &settings.markup,
                      &settings.evaluate})
        list->add(1);
    return settings;
}

// The order a player meets the games in.
std::vector<int> walk(Agenda agenda) {
    std::vector<int> order;
    for (int i = agenda.length > 0 ? agenda.currentItem() : -1; i >= 0; i = agenda.nextItem()) {
        order.push_back(i);
        agenda.record(1000);
        if (order.size() > 60) break;
    }
    return order;
}

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
TEST(Agenda, SettingListsAndAgendasKeepTheirFirstValuesAndTheWalkVisitsEachOnce) {
    TestSettings settings = seriesSettings();
    for (int grid = 1; grid <= 100; grid++) settings.puzzles.add(grid);
    for (int permutation = 1; permutation < 13; permutation++) settings.permutations.add(permutation);
    for (auto list : {&settings.AR, &settings.in3D, &settings.repulsive, &settings.attractive,
                      &settings.overviews, &settings.markup, &settings.evaluate})
        list->add(1 - list->at(0));
    Agenda agenda;
    EXPECT_EQ(60, agenda.build(settings, 11));
    // 59 = 0b00111011 over AR, colored, 3D, blocks, funnels, overviews, markup, evaluate.
    const AgendaItem& last = agenda.items[59];
    EXPECT_EQ((std::vector<int>{12, 0, 0, 1, 0, 0, 0, 0, 0, 0}),
              (std::vector<int>{last.grid, last.permutation, last.AR, last.colored, last.in3D,
                                last.repulsive, last.attractive, last.overviews, last.markup, last.evaluate}));
    EXPECT_EQ(0, agenda.items[1].evaluate);
    EXPECT_EQ(1, agenda.items[2].evaluate);
    EXPECT_EQ(0, agenda.items[2].markup);
    EXPECT_EQ(1, agenda.step % 2);
    EXPECT_LT(agenda.current, 60);
    EXPECT_LT(agenda.step, 60);

    // The walk visits every open item once.
    EXPECT_EQ((std::vector<int>{0, 3, 1, 4, 2, 5}), walk(agendaOf(6, 3, 0)));
    // A step sharing a divisor with the length still reaches every item.
    std::vector<int> seen = walk(agendaOf(6, 2, 4));
    std::sort(seen.begin(), seen.end());
    EXPECT_EQ((std::vector<int>{0, 1, 2, 3, 4, 5}), seen);
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

    // A read test series keeps each list's first values up to its capacity.
    std::string loop = "<PARAMS><LOOP><GRID vals='150'";
    for (int i = 0; i < 150; i++) loop += " val" + std::to_string(i) + "='" + std::to_string(i + 1) + "'";
    // A huge count does not make the reader loop for long.
    loop += "/><PERMUTATION vals='2000000000' val0='3'/><AR vals='3' val0='1' val1='0' val2='1'/>"
            "</LOOP></PARAMS>";
    SessionSettings session;
    Sudoku board;
    TestSettings capped;
    ASSERT_EQ(1, capped.read(writeScratch("capacity.xml", loop).c_str(), session, board));
    EXPECT_EQ(100, capped.puzzles.count());
    EXPECT_EQ(100, capped.puzzles.at(99));
    EXPECT_EQ(13, capped.permutations.count());
    EXPECT_EQ(3, capped.permutations.at(0));
    EXPECT_EQ(0, capped.permutations.at(1));
    EXPECT_EQ(2, capped.AR.count());
    EXPECT_EQ(0, capped.AR.add(1));
}

// An item's grid, permutation and colour in one number.
int gameOf(const AgendaItem& item) { return item.grid * 100 + item.permutation * 10 + item.colored; }

std::vector<int> playedGames(const Agenda& agenda) {
    std::vector<int> games;
    for (int i : walk(agenda)) games.push_back(gameOf(agenda.items[i]));
    return games;
}

// Over 2n participants every block of n has each game once in every
// position, and every ordered pair of neighbours comes up equally often.
TEST(Counterbalance, WilliamsRowsAreBalancedAndNewPlayersTakeTheNextRow) {
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

    // Each new participant of a counterbalanced series takes the next row, and
    // keeps it when the agenda is read back.
    TestSettings settings = seriesSettings();
    settings.counterbalance = 1;
    const std::string folder = scratchPath("balanced");
    std::system(("rm -rf '" + folder + "' && mkdir -p '" + folder + "'").c_str());
    Agenda plain;
    plain.fill(settings);
    for (int k = 0; k < 4; k++) {
        Agenda agenda;
        buildAgenda(agenda, settings, folder.c_str(), 1);
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

// Every field of the item its own value, so that no two can be swapped unseen.
Agenda sample() {
    Agenda agenda;
    agenda.length = 1;
    agenda.current = 0;
    agenda.step = 3;
    agenda.items[0] = AgendaItem{12, 5, 2, 3, 4, 6, 7, 8, 9, 10, 11, 3725000};
    return agenda;
}

std::string item(int i, const std::string& values) {
    return "<ITEM_" + std::to_string(i) + ">" + values + "</ITEM_" + std::to_string(i) + ">";
}

TEST(AgendaFile, RoundTripForeignFilesAndNumbersOutsideTheSlots) {
    const std::string path = scratchPath("Tom.xml");
    const Agenda written = sample();
    ASSERT_EQ(1, written.write(path.c_str(), "Tom & <Jerry>"));
    // The name escaped, and the time also in hours, minutes and seconds for people.
    const std::string text = readFile(path);
    for (const char* part : {"<USER>Tom &amp; &lt;Jerry&gt;</USER>", "<HOURS>1</HOURS>", "<MINUTES>2</MINUTES>",
                             "<SECONDS>5</SECONDS>"})
        EXPECT_NE(text.find(part), std::string::npos) << part;
    Agenda back;
    ASSERT_EQ(1, back.read(path.c_str()));
    EXPECT_EQ(0, std::memcmp(back.items, written.items, sizeof back.items));
    EXPECT_EQ(3, back.step);

    // The problem names the place in the file; a file that is not there has none.
    const struct {
        std::string path;
        const char* inProblem;
    } kCases[] = {{scratchPath("nobody.xml"), ""},
                  {writeScratch("params.xml", "<PARAMS/>"), "AGENDA"}};
    for (const auto& c : kCases) {
        std::string problem = "left from before";
        EXPECT_EQ(0, back.read(c.path.c_str(), problem));
        EXPECT_EQ(*c.inProblem == 0, problem.empty()) << problem;
        EXPECT_NE(problem.find(c.inProblem), std::string::npos) << problem;
        EXPECT_EQ(1, back.length);
        EXPECT_EQ(3725000, back.items[0].milliseconds);
    }

    std::string items;
    for (int i = 0; i < 100; i++)
        items += item(i, "<INDEX>" + std::to_string(i) + "</INDEX><GRID>" + std::to_string(i + 1) +
                             "</GRID><DONE>1</DONE>");
    Agenda agenda;
    ASSERT_EQ(60, agenda.read(writeScratch("long.xml", "<AGENDA><AGENDA_LENGTH>100</AGENDA_LENGTH>"
                                                       "<CURR>75</CURR><INC>-7</INC>" + items +
                                                       "</AGENDA>").c_str()));
    EXPECT_EQ(60, agenda.items[59].grid);
    EXPECT_EQ(0, agenda.current);
    EXPECT_EQ(-1, agenda.nextItem());

    const std::string odd = "<AGENDA><AGENDA_LENGTH>3</AGENDA_LENGTH><CURR>-4</CURR><INC>-1</INC>" +
                            item(0, "<INDEX>60</INDEX><GRID>1</GRID><DONE>0</DONE>") +
                            item(1, "<INDEX>-1</INDEX><GRID>2</GRID><DONE>0</DONE>") +
                            item(2, "<INDEX>2</INDEX><GRID>3</GRID><DONE>0</DONE>") + "</AGENDA>";
    Agenda cut;
    ASSERT_EQ(3, cut.read(writeScratch("odd.xml", odd).c_str()));
    EXPECT_EQ(0, cut.current);
    // Items never read stay blank; missing values read as unset, a missing time as none.
    const AgendaItem& blank = cut.items[0];
    for (int v : {blank.grid, blank.permutation, blank.AR, blank.colored, blank.in3D, blank.repulsive,
                  blank.attractive, blank.overviews, blank.markup, blank.evaluate, blank.done,
                  blank.milliseconds})
        EXPECT_EQ(-1, v);
    EXPECT_EQ(-1, cut.items[1].grid);
    EXPECT_EQ(3, cut.items[2].grid);
    EXPECT_EQ(-1, cut.items[2].AR);
    EXPECT_EQ(0, cut.items[2].milliseconds);
    // The walk finds the one open item.
    EXPECT_EQ(2, cut.nextItem());
    EXPECT_EQ(2, cut.nextItem());
    cut.record(1);
    EXPECT_EQ(-1, cut.currentItem());

    Agenda negative;
    EXPECT_EQ(0, negative.read(writeScratch("negative.xml",
                                            "<AGENDA><AGENDA_LENGTH>-5</AGENDA_LENGTH></AGENDA>").c_str()));
}

// A failed or killed write leaves the old file or the new one, never a part.
TEST(AgendaFile, FailedOrKilledWritesKeepTheOldFile) {
    const std::string path = scratchPath("killed.xml");
    Agenda one = sample(), two = sample();
    two.length = 60;
    for (int i = 0; i < 60; i++) two.items[i] = AgendaItem{i, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, i * 1000};
    ASSERT_EQ(1, two.write(path.c_str(), "Tom"));
    const std::string newText = readFile(path);
    ASSERT_EQ(1, one.write(path.c_str(), "Tom & <Jerry>"));
    const std::string oldText = readFile(path);
    // A file size limit stands in for a full disk.
    fflush(stdout);
    const pid_t writer = fork();
    ASSERT_GE(writer, 0);
    if (writer == 0) {
        signal(SIGXFSZ, SIG_IGN);
        rlimit limit = {1000, 1000};
        setrlimit(RLIMIT_FSIZE, &limit);
        testing::internal::CaptureStdout();
        const int written = two.write(path.c_str(), "Tom");
        const std::string out = testing::internal::GetCapturedStdout();
        _exit(written == 0 && out.find("unchanged") != std::string::npos ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(writer, waitpid(writer, &status, 0));
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(0, WEXITSTATUS(status));
    EXPECT_EQ(oldText, readFile(path));
    EXPECT_NE(0, access((path + ".tmp" + std::to_string(writer)).c_str(), F_OK));

    std::mt19937 random(20261206);
    for (int round = 0; round < 40; round++) {
        fflush(stdout);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (int i = 0;; i++) (i % 2 ? one : two).write(path.c_str(), i % 2 ? "Tom & <Jerry>" : "Tom");
        }
        usleep(200 + random() % 3000);
        kill(child, SIGKILL);
        ASSERT_EQ(child, waitpid(child, &status, 0));
        const std::string text = readFile(path);
        ASSERT_TRUE(text == oldText || text == newText) << "round " << round << ": " << text.size();
        unlink((path + ".tmp" + std::to_string(child)).c_str());
    }
}

}  // namespace
