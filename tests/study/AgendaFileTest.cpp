#include "Agenda.h"
#include "StudyFiles.h"

#include <gtest/gtest.h>

#include <csignal>
#include <random>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

Agenda sample() {
    Agenda agenda;
    agenda.length = 1;
    agenda.current = 0;
    agenda.items[0] = AgendaItem{12, 5, 0, 1, 1, 1, 1, 0, 1, 1, 1, 3725000};
    return agenda;
}

const char* const kSampleFile =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
    "<AGENDA>\n"
    "  <USER>Tom &amp; &lt;Jerry&gt;</USER>\n"
    "  <AGENDA_LENGTH>1</AGENDA_LENGTH>\n"
    "  <CURR>0</CURR>\n"
    "  <INC>1</INC>\n"
    "  <ITEM_0>\n"
    "    <INDEX>0</INDEX>\n"
    "    <GRID>12</GRID>\n"
    "    <PERMUTATION>5</PERMUTATION>\n"
    "    <AR>0</AR>\n"
    "    <COLORED>1</COLORED>\n"
    "    <IN3D>1</IN3D>\n"
    "    <REPULSIVE>1</REPULSIVE>\n"
    "    <ATTRACTIVE>1</ATTRACTIVE>\n"
    "    <OVERVIEWS>0</OVERVIEWS>\n"
    "    <MARKUP>1</MARKUP>\n"
    "    <EVALUATE>1</EVALUATE>\n"
    "    <DONE>1</DONE>\n"
    "    <MILLISECONDS>3725000</MILLISECONDS>\n"
    "    <HOURS>1</HOURS>\n"
    "    <MINUTES>2</MINUTES>\n"
    "    <SECONDS>5</SECONDS>\n"
    "  </ITEM_0>\n"
    "</AGENDA>\n";

std::string item(int i, const std::string& values) {
    return "<ITEM_" + std::to_string(i) + ">" + values + "</ITEM_" + std::to_string(i) + ">";
}

TEST(AgendaFile, WrittenLayoutAndRoundTrip) {
    const std::string path = scratchPath("Tom.xml");
    ASSERT_EQ(1, sample().write(path.c_str(), "Tom & <Jerry>"));
    EXPECT_EQ(kSampleFile, readFile(path));
    Agenda back;
    ASSERT_EQ(1, back.read(path.c_str()));
    ASSERT_EQ(1, back.write(path.c_str(), "Tom & <Jerry>"));
    EXPECT_EQ(kSampleFile, readFile(path));
}

TEST(AgendaFile, FilesThatAreNoAgendaLeaveItUnchanged) {
    // The problem names the place in the file; a file that is not there has none.
    const struct {
        std::string path;
        const char* inProblem;
    } kCases[] = {{scratchPath("nobody.xml"), ""},
                  {writeScratch("params.xml", "<PARAMS/>"), "AGENDA"}};
    for (const auto& c : kCases) {
        Agenda agenda = sample();
        std::string problem = "left from before";
        EXPECT_EQ(0, agenda.read(c.path.c_str(), problem));
        EXPECT_EQ(*c.inProblem == 0, problem.empty()) << problem;
        EXPECT_NE(problem.find(c.inProblem), std::string::npos) << problem;
        EXPECT_EQ(1, agenda.length);
        EXPECT_EQ(3725000, agenda.items[0].milliseconds);
    }
}

TEST(AgendaFile, NumbersOutsideTheSlotsAreCut) {
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

TEST(AgendaFile, FailedWriteKeepsTheOldFileAndSaysSo) {
    const std::string path = scratchPath("full-disk.xml");
    ASSERT_EQ(1, sample().write(path.c_str(), "Tom & <Jerry>"));
    Agenda bigger = sample();
    bigger.length = 60;
    // A file size limit stands in for a full disk.
    fflush(stdout);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN);
        rlimit limit = {1000, 1000};
        setrlimit(RLIMIT_FSIZE, &limit);
        testing::internal::CaptureStdout();
        const int written = bigger.write(path.c_str(), "Tom");
        const std::string out = testing::internal::GetCapturedStdout();
        _exit(written == 0 && out.find("unchanged") != std::string::npos ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(child, waitpid(child, &status, 0));
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(0, WEXITSTATUS(status));
    EXPECT_EQ(kSampleFile, readFile(path));
    EXPECT_NE(0, access((path + ".tmp" + std::to_string(child)).c_str(), F_OK));

    // Where there was no file, none is said to be unchanged.
    testing::internal::CaptureStdout();
    EXPECT_EQ(0, sample().write(scratchPath("no-folder/x.xml").c_str(), "Tom"));
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("x.xml"), std::string::npos);
    EXPECT_EQ(out.find("unchanged"), std::string::npos);
}

TEST(AgendaFile, KilledWriterLeavesTheOldOrTheNewFile) {
    const std::string path = scratchPath("killed.xml");
    Agenda one = sample(), two = sample();
    two.length = 60;
    for (int i = 0; i < 60; i++) two.items[i] = AgendaItem{i, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, i * 1000};
    ASSERT_EQ(1, two.write(path.c_str(), "Tom"));
    const std::string newText = readFile(path);
    ASSERT_EQ(1, one.write(path.c_str(), "Tom & <Jerry>"));
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
        int status = 0;
        ASSERT_EQ(child, waitpid(child, &status, 0));
        const std::string text = readFile(path);
        ASSERT_TRUE(text == kSampleFile || text == newText) << "round " << round << ": " << text.size();
        unlink((path + ".tmp" + std::to_string(child)).c_str());
    }
}

}  // namespace
