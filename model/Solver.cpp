#include "Solver.h"

#include <cstdint>
#include <cstring>

GridUnits::GridUnits() {
    for (int i = 0; i < 9; i++) {
        for (int k = 0; k < 9; k++) {
            cells[i][k] = 9 * i + k;
            cells[9 + i][k] = 9 * k + i;
            cells[18 + i][k] = 9 * (3 * (i / 3) + k / 3) + 3 * (i % 3) + k % 3;
        }
    }
    for (int cell = 0; cell < 81; cell++) {
        const int r = cell / 9, c = cell % 9;
        unitsOf[cell][0] = r;
        unitsOf[cell][1] = 9 + c;
        unitsOf[cell][2] = 18 + 3 * (r / 3) + c / 3;
        int n = 0;
        for (int other = 0; other < 81; other++) {
            const int r2 = other / 9, c2 = other % 9;
            const bool sameBox = r / 3 == r2 / 3 && c / 3 == c2 / 3;
            if (other != cell && (r == r2 || c == c2 || sameBox)) peers[cell][n++] = other;
        }
    }
}

const GridUnits& gridUnits() {
    static const GridUnits units;
    return units;
}

namespace {

struct SearchState {
    uint16_t candidates[81];  // bit d while d is possible in an empty cell, 0 once filled
    uint8_t digits[81];
    int emptyCells;
};

int lowestBit(unsigned mask) { return __builtin_ctz(mask); }

// Places d and strikes it from the peers; false when a peer is left without candidates.
bool assign(SearchState& s, int cell, int d) {
    const GridUnits& u = gridUnits();
    const uint16_t bit = uint16_t(1u << d);
    s.digits[cell] = uint8_t(d);
    s.candidates[cell] = 0;
    s.emptyCells--;
    for (int p : u.peers[cell]) {
        if (s.digits[p] == 0 && (s.candidates[p] & bit)) {
            s.candidates[p] &= uint16_t(~bit);
            if (s.candidates[p] == 0) return false;
        }
    }
    return true;
}

// Fills naked and hidden singles until none is left; false on a contradiction.
bool propagate(SearchState& s) {
    const GridUnits& u = gridUnits();
    bool changed = true;
    while (changed) {
        changed = false;
        for (int cell = 0; cell < 81; cell++) {
            const unsigned m = s.candidates[cell];
            if (s.digits[cell] == 0 && (m & (m - 1)) == 0) {
                if (!assign(s, cell, lowestBit(m))) return false;
                changed = true;
            }
        }
        for (int unit = 0; unit < 27 && !changed; unit++) {
            unsigned once = 0, twice = 0, placed = 0;
            for (int cell : u.cells[unit]) {
                const unsigned m = s.candidates[cell];
                twice |= once & m;
                once |= m;
                placed |= 1u << s.digits[cell];
            }
            if (((once | placed) & kAllDigitBits) != kAllDigitBits) return false;
            const unsigned singles = once & ~twice & kAllDigitBits;
            if (singles == 0) continue;
            const int d = lowestBit(singles);
            for (int cell : u.cells[unit]) {
                if (s.candidates[cell] & (1u << d)) {
                    if (!assign(s, cell, d)) return false;
                    break;
                }
            }
            changed = true;
        }
    }
    return true;
}

void search(SearchState& s, int limit, int* solution, int& found) {
    if (!propagate(s)) return;
    if (s.emptyCells == 0) {
        if (found == 0 && solution)
            for (int i = 0; i < 81; i++) solution[i] = s.digits[i];
        found++;
        return;
    }
    int best = -1, bestCount = 10;
    for (int cell = 0; cell < 81 && bestCount > 2; cell++) {
        if (s.digits[cell] != 0) continue;
        const int n = __builtin_popcount(s.candidates[cell]);
        if (n < bestCount) {
            best = cell;
            bestCount = n;
        }
    }
    for (unsigned m = s.candidates[best]; m != 0 && found < limit; m &= m - 1) {
        SearchState next = s;
        if (assign(next, best, lowestBit(m))) search(next, limit, solution, found);
    }
}

}  // namespace

int countSolutions(const int grid[81], int limit, int solution[81]) {
    if (limit <= 0) return 0;
    SearchState s;
    std::memset(s.digits, 0, sizeof s.digits);
    for (uint16_t& m : s.candidates) m = kAllDigitBits;
    s.emptyCells = 81;
    for (int cell = 0; cell < 81; cell++) {
        const int d = grid[cell];
        if (d == 0) continue;
        if (d < 0 || d > 9 || !(s.candidates[cell] & (1u << d))) return 0;
        if (!assign(s, cell, d)) return 0;
    }
    int found = 0;
    search(s, limit, solution, found);
    return found;
}

void gridOf(const Sudoku& board, int grid[81]) {
    for (int r = 0; r < 9; r++)
        for (int c = 0; c < 9; c++) grid[9 * r + c] = board.digitAt(r, c);
}
