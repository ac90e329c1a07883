#include "SessionSettings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <strings.h>
#include <vector>

namespace {

std::string userFile(const char* test, const char* name) {
    SessionSettings s;
    s.setTestName(test);
    s.setUserName(name);
    return s.userPath();
}

// Random names, many of them of the characters that need escaping, long,
// or made to look like an escaped or shortened name.
TEST(SessionSettings, AgendaFileNamesAreOneToOneAndStayInTheFolder) {
    std::mt19937 random(13);
    const std::string alphabet = "ab_%/:.~ \\\x01\xFC" "0123456789ABCDEFcfgino";
    std::vector<std::string> names = {"config", "CONFIG", "%63onfig", "log", "finishedgames"};
    for (int i = 0; i < 20000; i++) {
        std::string name(random() % 80, ' ');
        for (char& ch : name) ch = alphabet[random() % alphabet.size()];
        names.push_back(name);
    }
    const std::string longName(79, 'x');
    for (char tail : {'a', 'b', '%'}) names.push_back(longName.substr(0, 78) + tail);
    for (const char* test : {"t", "a-longer-name-of-a-test-series-folder"}) {
        SCOPED_TRACE(test);
        const std::string folder = std::string("Tests/") + test + "/";
        std::map<std::string, std::string> owner;
        for (const std::string& name : names) {
            const std::string path = userFile(test, name.c_str());
            ASSERT_EQ(path.rfind(folder, 0), 0u) << name;
            const std::string file = path.substr(folder.size());
            EXPECT_LE(path.size(), 79u);
            EXPECT_EQ(file.find('/'), std::string::npos);
            EXPECT_NE(file[0], '.');
            EXPECT_EQ(file.substr(file.size() - 4), ".xml");
            EXPECT_NE(strcasecmp(file.c_str(), "config.xml"), 0) << name;
            const bool ordinary = std::none_of(name.begin(), name.end(), [](char ch) {
                return std::strchr("%/:\\\x01", ch) != nullptr;
            }) && !name.empty() && name[0] != '.' && name.find_first_not_of(' ') != std::string::npos &&
                                  strcasecmp(name.c_str(), "config") != 0;
            if (ordinary && folder.size() + name.size() + 4 <= 79) {
                EXPECT_EQ(file, name + ".xml");
            }
            const auto taken = owner.emplace(path, name);
            EXPECT_TRUE(taken.second || taken.first->second == name)
                << "\"" << name << "\" and \"" << taken.first->second << "\" share " << path;
        }
    }
}

TEST(SessionSettings, NoRoomForAnAgendaFileGivesNoPath) {
    // Short names still fit beside a long test name; a long one cannot be told apart.
    const std::string test(60, 't');
    EXPECT_EQ(userFile(test.c_str(), "al"), "Tests/" + test + "/al.xml");
    EXPECT_EQ(userFile(test.c_str(), std::string(40, 'n').c_str()), "");
}

}  // namespace
