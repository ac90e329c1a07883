// The test prompt keeps the series inside the tests folder.
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

}  // namespace
