// Makes the puzzle collection: random full grids, givens removed while the
// solution stays unique, graded like a person would solve them, and written
// as sudoku-grids files. The same seed always gives the same files.
//
//   generate_puzzles [-s seed] [-n count] folder
//
// writes g1..g62 easy, g63..g121 medium, g122..g169 hard and g1000..g1025
// evil; -n caps every range at count files. The fallback g0 is left alone.
#include "Grader.h"
#include "PuzzleFile.h"
#include "Solver.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <set>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace {

struct Range {
    int level;
    int first, count;                // file numbers first .. first + count - 1
    int fewestGivens, mostGivens;    // givens are added back up to a target in this range
};

// Easy puzzles get friendly numbers of givens; evil ones stay as sparse as they came out.
const Range kRanges[] = {
    {Easy, 1, 62, 32, 38},
    {Medium, 63, 59, 27, 31},
    {Hard, 122, 48, 25, 28},
    {Evil, 1000, 26, 0, 0},
};

// Deterministic on every platform: the standard distributions are not.
int randomBelow(std::mt19937& rng, int n) { return int(rng() % unsigned(n)); }

void shuffle(std::vector<int>& v, std::mt19937& rng) {
    for (int i = int(v.size()) - 1; i > 0; i--) std::swap(v[i], v[randomBelow(rng, i + 1)]);
}

// Eleven random digits that do not clash, completed by the solver.
void randomSolution(std::mt19937& rng, int solution[81]) {
    for (;;) {
        int grid[81] = {};
        for (int placed = 0; placed < 11;) {
            const int cell = randomBelow(rng, 81), d = 1 + randomBelow(rng, 9);
            if (grid[cell] != 0) continue;
            bool clash = false;
            for (int p : gridUnits().peers[cell]) clash = clash || grid[p] == d;
            if (clash) continue;
            grid[cell] = d;
            placed++;
        }
        if (countSolutions(grid, 1, solution) == 1) return;
    }
}

// Removes givens in random order as long as the solution stays unique.
void removeGivens(std::mt19937& rng, int puzzle[81]) {
    std::vector<int> order(81);
    for (int i = 0; i < 81; i++) order[i] = i;
    shuffle(order, rng);
    for (int cell : order) {
        const int d = puzzle[cell];
        puzzle[cell] = 0;
        if (countSolutions(puzzle, 2) != 1) puzzle[cell] = d;
    }
}

int countGivens(const int puzzle[81]) { return int(std::count_if(puzzle, puzzle + 81, [](int d) { return d != 0; })); }

// Gives back digits of the solution, in random order, up to target givens,
// skipping any digit that would make the puzzle easier than its level.
void addGivens(std::mt19937& rng, int puzzle[81], const int solution[81], int level, int target) {
    std::vector<int> order;
    for (int i = 0; i < 81; i++)
        if (puzzle[i] == 0) order.push_back(i);
    shuffle(order, rng);
    for (int cell : order) {
        if (countGivens(puzzle) >= target) return;
        puzzle[cell] = solution[cell];
        if (gradePuzzle(puzzle).level != level) puzzle[cell] = 0;
    }
}

// The puzzle under each of the board's permutations, as 81-character keys.
std::vector<std::string> permutedForms(const int puzzle[81]) {
    std::vector<std::string> forms;
    Sudoku board;
    for (int p = 0; p < Sudoku::kPermutationCount; p++) {
        board.resetCells();
        for (int cell = 0; cell < 81; cell++)
            if (puzzle[cell] != 0) board.setDigit(cell / 9, cell % 9, puzzle[cell], Given);
        board.setPermutationNumber(p);
        permute(board);
        int grid[81];
        gridOf(board, grid);
        std::string key(81, '0');
        for (int cell = 0; cell < 81; cell++) key[cell] = char('0' + grid[cell]);
        forms.push_back(key);
    }
    return forms;
}

// Written beside the final name first, so a file is never left half-written.
bool writePuzzle(const std::string& folder, int number, const int puzzle[81], int level) {
    const std::string path = folder + "/g" + std::to_string(number) + ".txt";
    const std::string temporary = path + ".part";
    FILE* f = std::fopen(temporary.c_str(), "w");
    if (!f) return false;
    std::fprintf(f, "9 9\n");
    for (int r = 0; r < 9; r++)
        for (int c = 0; c < 9; c++) std::fprintf(f, "%d%c", puzzle[9 * r + c], c == 8 ? '\n' : ' ');
    std::fprintf(f, "difficulty : %s\n", levelWord(level));
    const bool written = std::fclose(f) == 0;
    if (!written || std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

int usage() {
    std::fprintf(stderr, "usage: generate_puzzles [-s seed] [-n count] folder\n");
    return 2;
}

bool parseNumber(const char* text, unsigned long* value) {
    char* end = nullptr;
    *value = std::strtoul(text, &end, 10);
    return end != text && *end == '\0' && text[0] != '-';
}

}  // namespace

int main(int argc, char** argv) {
    unsigned long seed = 1, cap = 1000;
    const char* folder = nullptr;
    for (int i = 1; i < argc; i++) {
        if ((std::strcmp(argv[i], "-s") == 0 || std::strcmp(argv[i], "-n") == 0) && i + 1 < argc) {
            if (!parseNumber(argv[i + 1], argv[i][1] == 's' ? &seed : &cap)) return usage();
            i++;
        } else if (argv[i][0] != '-' && !folder) {
            folder = argv[i];
        } else {
            return usage();
        }
    }
    if (!folder) return usage();
    // Said before the search, which can take minutes, not after it.
    struct stat info;
    if (::stat(folder, &info) != 0 || !S_ISDIR(info.st_mode) || ::access(folder, W_OK) != 0) {
        std::fprintf(stderr, "cannot write into %s: not a writable folder\n", folder);
        return 1;
    }

    std::mt19937 rng(static_cast<std::mt19937::result_type>(seed));
    int written[5] = {}, wanted[5] = {};
    for (const Range& range : kRanges) wanted[range.level] = int(std::min<unsigned long>(range.count, cap));
    std::set<std::string> seen;
    const auto start = std::chrono::steady_clock::now();
    long tried = 0;
    auto missing = [&] {
        int n = 0;
        for (int level = Easy; level <= Evil; level++) n += wanted[level] - written[level];
        return n;
    };
    while (missing() > 0) {
        int solution[81], puzzle[81];
        randomSolution(rng, solution);
        std::copy(solution, solution + 81, puzzle);
        removeGivens(rng, puzzle);
        tried++;
        const Grade grade = gradePuzzle(puzzle);
        const Range* range = nullptr;
        for (const Range& r : kRanges)
            if (r.level == grade.level) range = &r;
        if (!range || written[range->level] >= wanted[range->level]) continue;
        if (range->mostGivens > 0) {
            const int target = range->fewestGivens + randomBelow(rng, range->mostGivens - range->fewestGivens + 1);
            addGivens(rng, puzzle, solution, range->level, target);
        }
        const Grade final = gradePuzzle(puzzle);
        const std::vector<std::string> forms = permutedForms(puzzle);
        if (std::any_of(forms.begin(), forms.end(), [&](const std::string& f) { return seen.count(f) > 0; }))
            continue;
        seen.insert(forms.begin(), forms.end());
        const int number = range->first + written[range->level];
        if (!writePuzzle(folder, number, puzzle, range->level)) {
            std::fprintf(stderr, "cannot write %s/g%d.txt\n", folder, number);
            return 1;
        }
        written[range->level]++;
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::printf("g%d.txt\t%-6s %2d givens, hardest: %-13s (%ld grids tried, %d to go, %.1f s)\n",
                    number, levelWord(range->level), countGivens(puzzle),
                    final.solved ? techniqueName(final.hardest) : "beyond them", tried, missing(),
                    seconds);
        std::fflush(stdout);
    }
    return 0;
}
