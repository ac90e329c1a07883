// libFuzzer target: any bytes as the console answers at start-up (name, test,
// grid number, permutation, as the program asks them) and then for a new free
// game. Names must keep their files inside their folders, and the puzzle the
// answers choose is loaded as the program loads it: a refused permutation
// falls back to the board's, a missing puzzle file to the fallback file.
// Runs in the data folder.
#include "Console.h"
#include "PuzzleFile.h"
#include "SessionSettings.h"
#include "Sudoku.h"

#include "FuzzInput.h"

#include <cstring>
#include <string>

static bool startsWith(const char* text, const std::string& head) {
    return std::strncmp(text, head.c_str(), head.size()) == 0;
}

static void checkFiles(SessionSettings& session) {
    const std::string folder = std::string(session.testFolder) + "/";
    // Without room for the name in the path there is no agenda file: the
    // series is then refused in one line and a free game played.
    const char* user = session.userPath();
    if (user[0]) {
        check(startsWith(user, folder), "the agenda lies in the test folder");
        check(std::strchr(user + folder.size(), '/') == nullptr, "the player names no folder");
        const size_t length = std::strlen(user);
        check(length > folder.size() + 4 && std::strcmp(user + length - 4, ".xml") == 0,
              "the agenda is an .xml file");
    }
    check(startsWith(session.gridPath(), "sudoku-grids/g"), "puzzles come from their folder");
}

// As the shell loads the puzzle the answers chose.
static void loadPuzzle(Sudoku& board, SessionSettings& session) {
    if (!board.setPermutationNumber(session.permutation))
        session.permutation = board.permutationNumber;
    check(session.permutation >= 0 && session.permutation < Sudoku::kPermutationCount,
          "permutation is one of the table");
    board.resetCells();
    if (!readPuzzle(board, session.gridPath())) readPuzzle(board, kFallbackPuzzlePath);
    permute(board);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static FILE* sink = std::fopen("/dev/null", "w");
    const std::string answers(data, data + size);
    FILE* in = fmemopen((void*)answers.data(), answers.size(), "r");
    if (!in) return 0;  // fmemopen refuses an empty buffer
    SessionSettings session;
    Sudoku board;
    askUserName(session, in, sink);
    askTestName(session, in, sink);
    askGridNumber(session, in, sink);
    askPermutation(session, in, sink);
    checkFiles(session);
    loadPuzzle(board, session);
    askGridNumber(session, in, sink);
    askPermutation(session, in, sink);
    checkFiles(session);
    loadPuzzle(board, session);
    std::fclose(in);
    return 0;
}
