#include "SessionSettings.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

// "folder/name" into a text field, cut to the field's size.
void joinPath(char* out, const char* folder, const char* name) {
    const std::string path = std::string(folder) + "/" + name;
    std::snprintf(out, SessionSettings::kTextSize, "%s", path.c_str());
}

}  // namespace

SessionSettings::SessionSettings() {
    std::snprintf(userName, kTextSize, "%s", "Anonymous");
    std::snprintf(productCaption, kTextSize, "%s", "Vitrelo");
    std::snprintf(windowTitle, kTitleSize, "%s   - %s -", productCaption, userName);
    std::snprintf(testsFolder, kTextSize, "%s", "Tests");
    testName[0] = '\0';
    std::snprintf(settingsFileName, kTextSize, "%s", "config.xml");
    std::snprintf(gridsFolder, kTextSize, "%s", "sudoku-grids");
    std::snprintf(gridFileName, kTextSize, "%s", "g0.txt");
    gridPath_[0] = userPath_[0] = '\0';
    setUserName(userName);
    setTestName(testName);
}

void SessionSettings::setUserName(const char* name) {
    if (name != userName) std::snprintf(userName, kTextSize, "%s", name);
    char stem[kTextSize];
    safeFileStem(userName, stem, kTextSize);
    std::snprintf(userFileName, kTextSize, "%.*s.xml", kTextSize - 5, stem);
}

void SessionSettings::setTestName(const char* name) {
    if (name != testName) std::snprintf(testName, kTextSize, "%s", name);
    joinPath(testFolder, testsFolder, testName);
    joinPath(settingsPath, testFolder, settingsFileName);
}

void SessionSettings::setGridNumber(int number) {
    gridNumber = number;
    std::snprintf(gridFileName, kTextSize, "g%d.txt", number);
}

const char* SessionSettings::gridPath() {
    joinPath(gridPath_, gridsFolder, gridFileName);
    return gridPath_;
}

const char* SessionSettings::userPath() {
    // A long name is cut before its ".xml", so the agenda file keeps its kind
    // and the same name always gives the same file.
    const std::string file = userFileName;
    const size_t room = kTextSize - 1 - std::min<size_t>(kTextSize - 1, std::strlen(testFolder) + 5);
    const std::string stem = file.substr(0, std::min(room, file.size() - 4));
    joinPath(userPath_, testFolder, (stem + ".xml").c_str());
    return userPath_;
}

void safeFileStem(const char* name, char* out, int size) {
    if (size <= 0) return;
    int n = 0;
    for (const char* p = name; *p && n < size - 1; p++) {
        const unsigned char ch = (unsigned char)*p;
        const bool unsafe = ch < 32 || ch == 127 || ch == '/' || ch == '\\' || ch == ':' ||
                            ch == '*' || ch == '?' || ch == '"' || ch == '<' || ch == '>' ||
                            ch == '|';
        out[n++] = unsafe ? '_' : (char)ch;
    }
    out[n] = '\0';
    // A leading dot would make "..", "." or a hidden file.
    for (int i = 0; i < n && out[i] == '.'; i++) out[i] = '_';
    bool printable = false;
    for (int i = 0; i < n; i++) printable = printable || (out[i] != '_' && out[i] != ' ');
    if (!printable) std::snprintf(out, size, "%s", "unnamed");
}
