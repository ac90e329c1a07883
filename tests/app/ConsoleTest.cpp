// The test prompt keeps the series inside the tests folder.
#include "../TextHelpers.h"
#include "Console.h"
#include "Shell.h"

#include <gtest/gtest.h>

namespace {

TEST(Prompts, TestNamesStayInsideTheTestsFolder) {
    const struct {
        const char* name;
        bool taken;
    } cases[] = {{"demo", true},   {"group/demo", true}, {"..demo", true},  {"../demo", false},
                 {"..", false},    {"/tmp/demo", false}, {"a/../../x", false}, {"a/..", false}};
    for (const auto& c : cases) {
        SessionSettings s;
        std::string input = std::string(c.name) + "\n";
        FILE* in = fmemopen((void*)input.data(), input.size(), "r");
        const std::string said = printed([&](FILE* out) { askTestName(s, in, out); });
        std::fclose(in);
        EXPECT_STREQ(s.testName, c.taken ? c.name : "") << c.name;
        // A refused name is said, in one line, not silently dropped.
        EXPECT_EQ(said.find(c.name) != std::string::npos, !c.taken) << c.name;
    }
}

}  // namespace
