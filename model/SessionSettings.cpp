#include "SessionSettings.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <strings.h>
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
    std::snprintf(userFileName, kTextSize, "%.*s.xml", kTextSize - 5,
                  agendaFileStem(userName).c_str());
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
    const size_t used = std::strlen(testFolder) + std::strlen("/.xml");
    const std::string stem =
        used < kTextSize - 1 ? fittedStem(agendaFileStem(userName), kTextSize - 1 - used) : "";
    userPath_[0] = '\0';
    if (!stem.empty()) joinPath(userPath_, testFolder, (stem + ".xml").c_str());
    return userPath_;
}

namespace {

bool fileNameCannotHold(unsigned char ch) {
    return ch < 32 || ch == 127 || std::strchr("/\\:*?\"<>|%", ch) != nullptr;
}

void appendEscaped(std::string& out, unsigned char ch) {
    char code[4];
    std::snprintf(code, sizeof code, "%%%02X", ch);
    out += code;
}

}  // namespace

std::string agendaFileStem(const std::string& name) {
    if (name.empty()) return "%00";
    const bool blank = name.find_first_not_of(' ') == std::string::npos;
    const bool first = name[0] == '.' || blank || strcasecmp(name.c_str(), "config") == 0;
    std::string stem;
    for (size_t i = 0; i < name.size(); i++) {
        const unsigned char ch = (unsigned char)name[i];
        if ((i == 0 && first) || fileNameCannotHold(ch))
            appendEscaped(stem, ch);
        else
            stem += (char)ch;
    }
    return stem;
}

std::string fittedStem(const std::string& stem, size_t room) {
    if (stem.size() <= room) return stem;
    // 64-bit FNV-1a: two long names sharing a file is as likely as a lottery win.
    unsigned long long hash = 14695981039346656037ull;
    for (const char ch : stem) hash = (hash ^ (unsigned char)ch) * 1099511628211ull;
    char tail[24];
    std::snprintf(tail, sizeof tail, "%%~%016llx", hash);
    const size_t tailSize = std::strlen(tail);
    if (room < tailSize) return "";
    size_t cut = room - tailSize;
    // Neither an escape nor a UTF-8 character is cut in two.
    const size_t escape = stem.rfind('%', cut);
    if (escape != std::string::npos && cut < escape + 3) cut = escape;
    while (cut > 0 && ((unsigned char)stem[cut] & 0xC0) == 0x80) cut--;
    return stem.substr(0, cut) + tail;
}
