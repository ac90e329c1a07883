#include "PuzzleFile.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>

const char* const kFallbackPuzzlePath = "sudoku-grids/g0.txt";

namespace {

const char* const kStars[] = {"     ", "*    ", "**   ", "***  ", "**** "};

const int kWordSize = 64;

// Reads one whitespace-separated word; 0 at the end of the file. A word too
// long for the buffer, or holding a NUL byte, is consumed whole and comes back
// empty: it is neither a number nor a keyword, and its tail cannot pass for
// the next word.
int readWord(FILE* f, char* word) {
    int ch = std::fgetc(f);
    while (ch != EOF && std::isspace(ch)) ch = std::fgetc(f);
    if (ch == EOF) return 0;
    int length = 0;
    bool unusable = false;
    for (; ch != EOF && !std::isspace(ch); ch = std::fgetc(f)) {
        if (ch == 0 || length == kWordSize - 1)
            unusable = true;
        else
            word[length++] = (char)ch;
    }
    word[unusable ? 0 : length] = '\0';
    return 1;
}

// A whole word that is a decimal integer; anything else (letters, binary
// bytes, numbers out of int range) is not a number.
int parseInt(const char* word, long* value) {
    char* end = nullptr;
    errno = 0;
    *value = std::strtol(word, &end, 10);
    return end != word && *end == '\0' && errno == 0 && *value >= -2147483647L &&
           *value <= 2147483647L;
}

}  // namespace

int readPuzzle(Sudoku& board, const char* path, std::string* problem) {
    FILE* f = std::fopen(path, "r");
    if (!f) return 0;
    // A folder opens but cannot be read: that is no puzzle file either.
    const int first = std::fgetc(f);
    if (first == EOF && std::ferror(f)) {
        std::fclose(f);
        return 0;
    }
    std::ungetc(first, f);
    board.resetCells();
    char word[kWordSize];
    long rows = 0, columns = 0;
    bool wellFormed = readWord(f, word) && parseInt(word, &rows) && readWord(f, word) &&
                      parseInt(word, &columns);
    // The header may claim any size: the loop takes one word per cell and ends
    // at the first missing or bad one, so its length is bounded by the file.
    // Only a well-formed header is multiplied: a refused number may be beyond int.
    const long long cellCount =
        wellFormed && rows > 0 && columns > 0 ? (long long)rows * columns : 0;
    for (long long k = 0; wellFormed && k < cellCount; k++) {
        long v = 0;
        if (!readWord(f, word) || !parseInt(word, &v)) {
            wellFormed = false;
            break;
        }
        const long long r = k / columns, c = k % columns;
        if (v >= 1 && v <= 9 && r < board.rows && c < board.columns)
            board.setDigit((int)r, (int)c, (int)v, Given);
    }
    if (wellFormed && readWord(f, word) && std::strcmp(word, "difficulty") == 0 &&
        readWord(f, word) && readWord(f, word)) {
        const char* const levels[] = {"easy", "medium", "hard", "evil"};
        for (int i = 0; i < 4; i++)
            if (std::strcmp(word, levels[i]) == 0) board.difficulty = i + 1;
    }
    std::fclose(f);
    const bool wholeBoard = wellFormed && rows >= board.rows && columns >= board.columns;
    if (problem)
        *problem = wholeBoard ? "" : "is no whole puzzle (row count, column count, a number per cell)";
    return 1;
}

void permute(Sudoku& board) {
    if (board.rows != 9 || board.columns != 9 || board.digitCount != 9) return;
    const int* pi = board.permutationRow(board.permutationNumber);
    if (!pi) return;
    int old[9][9];
    for (int r = 0; r < 9; r++)
        for (int c = 0; c < 9; c++) old[r][c] = board.digitAt(r, c);
    board.resetCells();
    for (int r = 0; r < 9; r++) {
        for (int c = 0; c < 9; c++) {
            const int d = old[pi[r]][pi[c]];
            if (d != 0) board.setDigit(r, c, pi[d - 1] + 1, Given);
        }
    }
}

void difficultyStars(int difficulty, char* buffer, int size) {
    if (difficulty < 0 || difficulty > 4 || !buffer || size <= 0) return;
    std::snprintf(buffer, size, "%s", kStars[difficulty]);
}

void difficultyStars(int difficulty, FILE* out) {
    if (difficulty < 0 || difficulty > 4) return;
    std::fputs(kStars[difficulty], out);
}
