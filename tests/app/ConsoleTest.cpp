// Console prompts, the window title and the help text.
#include "Console.h"
#include "Shell.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// Runs a prompt on the given input and returns what it printed.
struct Dialogue {
    FILE* in;
    char* outText = nullptr;
    size_t outSize = 0;
    FILE* out;
    std::string input;

    explicit Dialogue(const std::string& text) : input(text) {
        in = input.empty() ? std::fopen("/dev/null", "r")
                           : fmemopen((void*)input.data(), input.size(), "r");
        out = open_memstream(&outText, &outSize);
    }
    ~Dialogue() {
        std::fclose(in);
        std::fclose(out);
        std::free(outText);
    }
    std::string printed() {
        std::fflush(out);
        return std::string(outText, outSize);
    }
};

TEST(ReadPromptLine, LinesEndOfInputAndLongLines) {
    Dialogue d("abc\n\nlast");
    char line[80];
    EXPECT_EQ(readPromptLine(d.in, line, 80), 3);
    EXPECT_STREQ(line, "abc");
    EXPECT_EQ(readPromptLine(d.in, line, 80), 0);
    EXPECT_EQ(readPromptLine(d.in, line, 80), 4);  // no line break before the end
    EXPECT_STREQ(line, "last");
    EXPECT_EQ(readPromptLine(d.in, line, 80), -1);
    EXPECT_EQ(readPromptLine(d.in, line, 80), -1);

    Dialogue crlf("name\r\n");
    EXPECT_EQ(readPromptLine(crlf.in, line, 80), 4);
    EXPECT_STREQ(line, "name");

    // Exactly 79 characters take their line break along; 80 leave the rest.
    Dialogue exact(std::string(79, 'x') + "\nnext\n");
    EXPECT_EQ(readPromptLine(exact.in, line, 80), 79);
    EXPECT_EQ(readPromptLine(exact.in, line, 80), 4);
    Dialogue longer(std::string(80, 'x') + "\n");
    EXPECT_EQ(readPromptLine(longer.in, line, 80), 79);
    EXPECT_EQ(readPromptLine(longer.in, line, 80), 1);
    EXPECT_STREQ(line, "x");
}

TEST(Prompts, EnterKeepsTheDefaults) {
    SessionSettings s;
    Dialogue d("\n\n\n\n");
    askUserName(s, d.in, d.out);
    askTestName(s, d.in, d.out);
    askGridNumber(s, d.in, d.out);
    s.permutation = 7;
    askPermutation(s, d.in, d.out);
    EXPECT_EQ(d.printed(),
              "Your name [Anonymous]:\nHello Anonymous!\nTest [no test]: \n"
              "Grid number (easy 1..62),(medium 63..121),(hard 122..169),(evil 1000..1025) "
              "[1]:\ngridno = 1\npermutation (0..12) [0]\npermutation = 0\n");
    EXPECT_STREQ(s.userName, "Anonymous");
    EXPECT_STREQ(s.testName, "");
    EXPECT_STREQ(s.gridPath(), "sudoku-grids/g1.txt");
    EXPECT_EQ(s.permutation, 0);  // the default is 0, not the current value
}

TEST(Prompts, ValuesLettersAndLongNames) {
    SessionSettings s;
    const std::string name(100, 'n');
    Dialogue d(name + "\n17abc\n5\n");
    askUserName(s, d.in, d.out);
    askTestName(s, d.in, d.out);  // answered by the name's last 21 characters
    askGridNumber(s, d.in, d.out);
    askPermutation(s, d.in, d.out);
    EXPECT_EQ(std::string(s.userName), name.substr(0, 79));
    EXPECT_EQ(std::string(s.testName), name.substr(0, 21));
    EXPECT_EQ(s.gridNumber, 17);
    EXPECT_EQ(s.permutation, 5);

    Dialogue letters("abc\n");
    askGridNumber(s, letters.in, letters.out);
    EXPECT_EQ(s.gridNumber, 0);
    EXPECT_STREQ(s.gridPath(), "sudoku-grids/g0.txt");
    EXPECT_NE(letters.printed().find("gridno = 0\n"), std::string::npos);

    Dialogue huge("99999999999999999999\n");
    askGridNumber(s, huge.in, huge.out);
    EXPECT_EQ(s.gridNumber, 0);
}

TEST(Prompts, ClosedInputTakesTheDefaults) {
    SessionSettings s;
    Dialogue d("");
    askUserName(s, d.in, d.out);
    askTestName(s, d.in, d.out);
    askGridNumber(s, d.in, d.out);
    askPermutation(s, d.in, d.out);
    EXPECT_STREQ(s.userName, "Anonymous");
    EXPECT_EQ(s.gridNumber, 1);
    EXPECT_EQ(s.permutation, 0);
    EXPECT_NE(d.printed().find("Hello Anonymous!\n"), std::string::npos);
}

TEST(Prompts, UnsafeNamesStayAsTypedButMakeSafeFileNames) {
    SessionSettings s;
    Dialogue d("../../etc/passwd\n");
    askUserName(s, d.in, d.out);
    EXPECT_STREQ(s.userName, "../../etc/passwd");
    EXPECT_NE(d.printed().find("Hello ../../etc/passwd!\n"), std::string::npos);
    const std::string path = s.userPath(), folder = std::string(s.testFolder) + "/";
    ASSERT_EQ(path.rfind(folder, 0), 0u);
    const std::string file = path.substr(folder.size());
    EXPECT_EQ(file.find('/'), std::string::npos);
    EXPECT_NE(file[0], '.');
}

TEST(Prompts, TestNamesStayInsideTheTestsFolder) {
    const struct {
        const char* name;
        bool taken;
    } cases[] = {{"demo", true},   {"group/demo", true}, {"..demo", true},  {"../demo", false},
                 {"..", false},    {"/tmp/demo", false}, {"a/../../x", false}, {"a/..", false}};
    for (const auto& c : cases) {
        SessionSettings s;
        Dialogue d(std::string(c.name) + "\n");
        askTestName(s, d.in, d.out);
        EXPECT_STREQ(s.testName, c.taken ? c.name : "") << c.name;
        // A refused name is said, in one line, not silently dropped.
        EXPECT_EQ(d.printed().find(c.name) != std::string::npos, !c.taken) << c.name;
    }
}

TEST(Prompts, AnyBytesGiveASessionWithBoundedTexts) {
    std::srand(7);
    for (int run = 0; run < 300; run++) {
        std::string bytes(std::rand() % 400, ' ');
        for (char& ch : bytes) ch = (char)(std::rand() % 256);
        SessionSettings s;
        Dialogue d(bytes);
        askUserName(s, d.in, d.out);
        askTestName(s, d.in, d.out);
        askGridNumber(s, d.in, d.out);
        askPermutation(s, d.in, d.out);
        EXPECT_LT(std::strlen(s.userName), 80u);
        EXPECT_LT(std::strlen(s.testName), 80u);
        EXPECT_EQ(std::strchr(s.userFileName, '/'), nullptr);
        EXPECT_NE(s.userFileName[0], '.');
    }
}

TEST(Title, FreeGameAndTestSeries) {
    SessionSettings s;
    Sudoku board;
    board.difficulty = 1;
    s.setGridNumber(12);
    s.permutation = 3;
    s.setUserName("Ann");
    EXPECT_STREQ(makeTitle(s, board),
                 "Vitrelo:   Easy Puzzle 12 *       Permutation 3   - Ann -   *** It's FUN ***");
    s.setTestName("study1");
    s.arMode = 1;
    board.difficulty = 4;
    EXPECT_STREQ(makeTitle(s, board), "Tabrelo:   Evil Puzzle 12 ****    Permutation 3   - Ann -"
                                      "   *** Testseries study1 ***");
    EXPECT_STREQ(s.productCaption, "Tabrelo");
    s.setUserName(std::string(79, 'u').c_str());
    s.setTestName(std::string(79, 't').c_str());
    EXPECT_EQ(std::string(makeTitle(s, board)).size(), 199u);  // cut to the title buffer
}

TEST(Help, ListsTheCommands) {
    Dialogue d("");
    printHelp(d.out);
    const std::string text = d.printed();
    EXPECT_EQ(text.rfind("\navailable commands (in OpenGL window):\n  always\n    esc    stop the game\n", 0), 0u);
    EXPECT_NE(text.find("    +      toggle between AR and VR game (only, if camera is plugged in\n"),
              std::string::npos);
    const std::string tail = "    w      toggle between showing AR tiles or not\n    c      calibrate camera\n\n";
    EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
}

}  // namespace
