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

std::string userFile(const char* test, const std::string& name) {
    SessionSettings s;
    s.setTestName(test);
    s.setUserName(name.c_str());
    return s.userPath();
}

// Random names, many of characters that need escaping, long, or made to
// look like an escaped or shortened name: ordinary ones are kept as they
// are, none leaves the folder, becomes the settings file or shares a file.
TEST(SessionSettings, AgendaFileNamesAreOneToOneAndStayInTheFolder) {
    std::mt19937 random(13);
    const std::string alphabet = "ab_%/:.~ \\\x01\xFC" "0123456789ABCDEFcfgino";
    std::vector<std::string> names = {"config", "CONFIG", "%63onfig", "log", "finishedgames"};
    for (int i = 0; i < 20000; i++) {
        std::string name(random() % 80, ' ');
        for (char& ch : name) ch = alphabet[random() % alphabet.size()];
        names.push_back(name);
    }
    for (char tail : {'a', 'b', '%'}) names.push_back(std::string(78, 'x') + tail);
    for (const char* test : {"t", "a-longer-name-of-a-test-series-folder"}) {
        const std::string folder = std::string("Tests/") + test + "/";
        std::map<std::string, std::string> owner;
        for (const std::string& name : names) {
            const std::string path = userFile(test, name);
            ASSERT_EQ(path.rfind(folder, 0), 0u) << name;
            const std::string file = path.substr(folder.size());
            EXPECT_LE(path.size(), 79u);
            EXPECT_EQ(file.find('/'), std::string::npos);
            EXPECT_NE(file[0], '.');
            EXPECT_EQ(file.substr(file.size() - 4), ".xml");
            EXPECT_NE(strcasecmp(file.c_str(), "config.xml"), 0) << name;
            const bool ordinary =
                name.find_first_of("%/:\\\x01") == std::string::npos && !name.empty() && name[0] != '.' &&
                name.find_first_not_of(' ') != std::string::npos && strcasecmp(name.c_str(), "config") != 0;
            EXPECT_TRUE(!ordinary || folder.size() + name.size() + 4 > 79 || file == name + ".xml") << name;
            const auto taken = owner.emplace(path, name);
            EXPECT_TRUE(taken.second || taken.first->second == name)
                << "\"" << name << "\" and \"" << taken.first->second << "\" share " << path;
        }
    }
    // Short names still fit beside a long test name; a long one cannot be told apart.
    const std::string longTest(60, 't');
    EXPECT_EQ(userFile(longTest.c_str(), "al"), "Tests/" + longTest + "/al.xml");
    EXPECT_EQ(userFile(longTest.c_str(), std::string(40, 'n')), "");
}

}  // namespace
