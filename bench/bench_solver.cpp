// Solving and proving unique every shipped puzzle (g1..g169, g1000..g1025).
// The baseline is plain backtracking in reading order, with the same
// row/column/box bitmasks but without singles or fewest-candidates guessing.
#include "Grader.h"
#include "PuzzleFile.h"
#include "Solver.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <string>
#include <vector>

namespace {

using Grid = std::array<int, 81>;

std::vector<Grid> loadShipped() {
    std::vector<Grid> grids;
    auto load = [&](int first, int last) {
        for (int n = first; n <= last; n++) {
            const std::string path = std::string(TABRELO_DATA) + "/sudoku-grids/g" + std::to_string(n) + ".txt";
            Sudoku board;
            if (!readPuzzle(board, path.c_str())) continue;
            Grid grid;
            gridOf(board, grid.data());
            grids.push_back(grid);
        }
    };
    load(1, 169);
    load(1000, 1025);
    return grids;
}

const std::vector<Grid>& shipped() {
    static const std::vector<Grid> grids = loadShipped();
    return grids;
}

struct Backtracker {
    int digits[81];
    unsigned rows[9] = {}, columns[9] = {}, boxes[9] = {};
    int found = 0;

    explicit Backtracker(const Grid& grid) {
        for (int cell = 0; cell < 81; cell++) {
            digits[cell] = grid[cell];
            if (grid[cell]) mark(cell, grid[cell]);
        }
    }
    void mark(int cell, int d) {
        const int r = cell / 9, c = cell % 9;
        rows[r] ^= 1u << d;
        columns[c] ^= 1u << d;
        boxes[3 * (r / 3) + c / 3] ^= 1u << d;
    }
    void search(int cell, int limit) {
        while (cell < 81 && digits[cell] != 0) cell++;
        if (cell == 81) {
            found++;
            return;
        }
        const int r = cell / 9, c = cell % 9;
        const unsigned used = rows[r] | columns[c] | boxes[3 * (r / 3) + c / 3];
        for (int d = 1; d <= 9 && found < limit; d++) {
            if (used >> d & 1) continue;
            digits[cell] = d;
            mark(cell, d);
            search(cell + 1, limit);
            mark(cell, d);
            digits[cell] = 0;
        }
    }
};

int backtrackCount(const Grid& grid) {
    Backtracker b(grid);
    b.search(0, 2);
    return b.found;
}

int solverCount(const Grid& grid) {
    int solution[81];
    return countSolutions(grid.data(), 2, solution);
}

// Median over the puzzles of each puzzle's mean time in microseconds.
double medianMicroseconds(int (*check)(const Grid&), int repeats, double* slowest) {
    std::vector<double> times;
    for (const Grid& grid : shipped()) {
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < repeats; i++) benchmark::DoNotOptimize(check(grid));
        times.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count() /
                        repeats);
    }
    *slowest = *std::max_element(times.begin(), times.end());
    std::nth_element(times.begin(), times.begin() + times.size() / 2, times.end());
    return times[times.size() / 2];
}

void BM_CheckAllShipped(benchmark::State& state) {
    const std::vector<Grid>& grids = shipped();
    if (grids.size() != 195) state.SkipWithError("the collection is incomplete");
    for (auto _ : state)
        for (const Grid& grid : grids) benchmark::DoNotOptimize(solverCount(grid));
    state.SetItemsProcessed(state.iterations() * int64_t(grids.size()));
}
BENCHMARK(BM_CheckAllShipped)->Unit(benchmark::kMillisecond);

void BM_BaselineCheckAllShipped(benchmark::State& state) {
    const std::vector<Grid>& grids = shipped();
    for (auto _ : state)
        for (const Grid& grid : grids) benchmark::DoNotOptimize(backtrackCount(grid));
    state.SetItemsProcessed(state.iterations() * int64_t(grids.size()));
}
BENCHMARK(BM_BaselineCheckAllShipped)->Unit(benchmark::kMillisecond);

// Per-puzzle medians of the solver and the baseline measured side by side.
void BM_MedianPerPuzzle(benchmark::State& state) {
    double median = 0, slowest = 0, baseline = 0, baselineSlowest = 0;
    for (auto _ : state) {
        median = medianMicroseconds(solverCount, 20, &slowest);
        baseline = medianMicroseconds(backtrackCount, 2, &baselineSlowest);
    }
    state.counters["median_us"] = median;
    state.counters["slowest_us"] = slowest;
    state.counters["baseline_median_us"] = baseline;
    state.counters["baseline_slowest_us"] = baselineSlowest;
    state.counters["speedup"] = baseline / median;
}
BENCHMARK(BM_MedianPerPuzzle)->Unit(benchmark::kMillisecond)->Iterations(3);

// The human-style grading of all shipped puzzles, for scale: it is what the generator runs most.
void BM_GradeAllShipped(benchmark::State& state) {
    const std::vector<Grid>& grids = shipped();
    for (auto _ : state)
        for (const Grid& grid : grids) benchmark::DoNotOptimize(gradePuzzle(grid.data()).level);
    state.SetItemsProcessed(state.iterations() * int64_t(grids.size()));
}
BENCHMARK(BM_GradeAllShipped)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
