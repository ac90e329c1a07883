#include "Console.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

static const int kLineSize = 80;

int readPromptLine(FILE* in, char* line, int size) {
    int n = 0, ch = 0;
    while (n < size - 1 && (ch = std::fgetc(in)) != EOF && ch != '\n') line[n++] = (char)ch;
    line[n] = '\0';
    if (n == 0 && ch == EOF) return -1;
    // A line of exactly the maximum length takes its line break with it.
    if (n == size - 1) {
        ch = std::fgetc(in);
        if (ch != '\n' && ch != EOF) std::ungetc(ch, in);
    }
    if (n > 0 && line[n - 1] == '\r') line[--n] = '\0';
    return n;
}

// The line's leading integer, 0 if it has none.
static int leadingInteger(const char* line) {
    errno = 0;
    const long v = std::strtol(line, nullptr, 10);
    if (errno == ERANGE || v > INT_MAX || v < INT_MIN) return 0;
    return (int)v;
}

void askUserName(SessionSettings& session, FILE* in, FILE* out) {
    std::fprintf(out, "Your name [%s]:\n", session.userName);
    std::fflush(out);
    char line[kLineSize];
    if (readPromptLine(in, line, kLineSize) > 0) session.setUserName(line);
    std::fprintf(out, "Hello %s!\n", session.userName);
}

// A relative path without ".." parts: a folder at or below the one it is joined to.
static bool isInsideFolderName(const char* name) {
    if (name[0] == '/') return false;
    for (const char* part = name; part; part = std::strchr(part, '/')) {
        if (*part == '/') part++;
        if (std::strncmp(part, "..", 2) == 0 && (part[2] == '/' || part[2] == '\0')) return false;
    }
    return true;
}

void askTestName(SessionSettings& session, FILE* in, FILE* out) {
    std::fprintf(out, "Test [no test]: \n");
    std::fflush(out);
    char line[kLineSize];
    if (readPromptLine(in, line, kLineSize) == 0) return;
    // The series' files are read and written inside its folder: a name that
    // leads out of the tests folder would write agendas and logs elsewhere.
    if (!isInsideFolderName(line)) {
        std::fprintf(out, "test %s is not a folder inside %s: playing a free game\n", line,
                     session.testsFolder);
        return;
    }
    session.setTestName(line);
}

void askGridNumber(SessionSettings& session, FILE* in, FILE* out) {
    std::fprintf(out,
                 "Grid number (easy 1..62),(medium 63..121),(hard 122..169),(evil 1000..1025) "
                 "[%d]:\n",
                 session.gridNumber);
    std::fflush(out);
    char line[kLineSize];
    int number = session.gridNumber;
    if (readPromptLine(in, line, kLineSize) > 0) number = leadingInteger(line);
    session.setGridNumber(number);
    std::fprintf(out, "gridno = %d\n", session.gridNumber);
}

void askPermutation(SessionSettings& session, FILE* in, FILE* out) {
    std::fprintf(out, "permutation (0..12) [%d]\n", 0);
    std::fflush(out);
    char line[kLineSize];
    int number = 0;
    if (readPromptLine(in, line, kLineSize) > 0) number = leadingInteger(line);
    session.permutation = number;
    std::fprintf(out, "permutation = %d\n", session.permutation);
}
