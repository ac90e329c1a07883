#include "Grader.h"

#include "Solver.h"

namespace {

int bitCount(unsigned mask) { return __builtin_popcount(mask); }

bool sees(int a, int b) {
    const int ra = a / 9, ca = a % 9, rb = b / 9, cb = b % 9;
    return a != b && (ra == rb || ca == cb || (ra / 3 == rb / 3 && ca / 3 == cb / 3));
}

// Removes the digits of mask from an empty cell; 1 when one was there.
int strike(CandidateGrid& g, int cell, unsigned mask) {
    if (g.digits[cell] != 0 || !(g.candidates[cell] & mask)) return 0;
    g.candidates[cell] &= uint16_t(~mask);
    return 1;
}

// The positions 0..8 within the unit where d may still go.
unsigned positions(const CandidateGrid& g, int unit, int d) {
    unsigned mask = 0;
    for (int k = 0; k < 9; k++)
        if (g.hasCandidate(gridUnits().cells[unit][k], d)) mask |= 1u << k;
    return mask;
}

unsigned placedIn(const CandidateGrid& g, int unit) {
    unsigned mask = 0;
    for (int cell : gridUnits().cells[unit]) mask |= 1u << g.digits[cell];
    return mask & kAllDigitBits;
}

int hiddenSingle(CandidateGrid& g) {
    for (int unit = 0; unit < 27; unit++) {
        for (int d = 1; d <= 9; d++) {
            const unsigned where = positions(g, unit, d);
            if (bitCount(where) == 1) {
                g.place(gridUnits().cells[unit][__builtin_ctz(where)], d);
                return 1;
            }
        }
    }
    return 0;
}

int nakedSingle(CandidateGrid& g) {
    for (int cell = 0; cell < 81; cell++) {
        if (g.digits[cell] == 0 && bitCount(g.candidates[cell]) == 1) {
            g.place(cell, __builtin_ctz(g.candidates[cell]));
            return 1;
        }
    }
    return 0;
}

// A digit confined to one line of a box leaves the rest of that line.
int pointing(CandidateGrid& g) {
    for (int box = 0; box < 9; box++) {
        const int top = 3 * (box / 3), left = 3 * (box % 3);
        for (int d = 1; d <= 9; d++) {
            const unsigned where = positions(g, 18 + box, d);
            if (where == 0) continue;
            for (int i = 0; i < 3; i++) {
                int changed = 0;
                if ((where & ~(7u << (3 * i))) == 0)
                    for (int c = 0; c < 9; c++)
                        if (c / 3 != box % 3) changed |= strike(g, 9 * (top + i) + c, 1u << d);
                if ((where & ~(0x49u << i)) == 0)
                    for (int r = 0; r < 9; r++)
                        if (r / 3 != box / 3) changed |= strike(g, 9 * r + left + i, 1u << d);
                if (changed) return 1;
            }
        }
    }
    return 0;
}

// A digit confined to one box within a line leaves the rest of that box.
int claiming(CandidateGrid& g) {
    const GridUnits& u = gridUnits();
    for (int line = 0; line < 18; line++) {
        for (int d = 1; d <= 9; d++) {
            const unsigned where = positions(g, line, d);
            if (where == 0) continue;
            // Along a row or a column, positions 0-2, 3-5 and 6-8 lie in one box each.
            for (int third = 0; third < 3; third++) {
                if ((where & ~(7u << (3 * third))) != 0) continue;
                const int boxUnit = u.unitsOf[u.cells[line][3 * third]][2];
                int changed = 0;
                for (int cell : u.cells[boxUnit])
                    if (u.unitsOf[cell][line < 9 ? 0 : 1] != line) changed |= strike(g, cell, 1u << d);
                if (changed) return 1;
            }
        }
    }
    return 0;
}

// n cells of a unit holding only n digits between them: those digits leave the unit's other cells.
int nakedSubset(CandidateGrid& g, int n) {
    const GridUnits& u = gridUnits();
    for (int unit = 0; unit < 27; unit++) {
        for (unsigned chosen = 0; chosen < 512; chosen++) {
            if (bitCount(chosen) != n) continue;
            unsigned digits = 0;
            bool allEmpty = true;
            for (int k = 0; k < 9; k++) {
                if (!(chosen >> k & 1)) continue;
                const int cell = u.cells[unit][k];
                allEmpty = allEmpty && g.digits[cell] == 0;
                digits |= g.candidates[cell];
            }
            if (!allEmpty || bitCount(digits) != n) continue;
            int changed = 0;
            for (int k = 0; k < 9; k++)
                if (!(chosen >> k & 1)) changed |= strike(g, u.cells[unit][k], digits);
            if (changed) return 1;
        }
    }
    return 0;
}

// n digits of a unit that fit only into the same n cells: those cells lose every other digit.
int hiddenSubset(CandidateGrid& g, int n) {
    const GridUnits& u = gridUnits();
    for (int unit = 0; unit < 27; unit++) {
        unsigned where[10] = {};
        for (int d = 1; d <= 9; d++) where[d] = positions(g, unit, d);
        const unsigned open = kAllDigitBits & ~placedIn(g, unit);
        for (unsigned digits = 0; digits < 1024; digits += 2) {
            if ((digits & ~open) != 0 || bitCount(digits) != n) continue;
            unsigned cells = 0;
            for (int d = 1; d <= 9; d++)
                if (digits >> d & 1) cells |= where[d];
            if (bitCount(cells) != n) continue;
            int changed = 0;
            for (int k = 0; k < 9; k++)
                if (cells >> k & 1) changed |= strike(g, u.cells[unit][k], kAllDigitBits & ~digits);
            if (changed) return 1;
        }
    }
    return 0;
}

// n rows (or columns) where d may go only in the same n columns (rows): d
// leaves those columns (rows) everywhere else. X-wing n = 2, swordfish n = 3.
int fish(CandidateGrid& g, int n) {
    for (int d = 1; d <= 9; d++) {
        for (int byColumns = 0; byColumns < 2; byColumns++) {
            unsigned where[9];
            for (int line = 0; line < 9; line++) where[line] = positions(g, 9 * byColumns + line, d);
            for (unsigned lines = 0; lines < 512; lines++) {
                if (bitCount(lines) != n) continue;
                unsigned cross = 0;
                bool allOpen = true;
                for (int line = 0; line < 9; line++) {
                    if (!(lines >> line & 1)) continue;
                    allOpen = allOpen && where[line] != 0;
                    cross |= where[line];
                }
                if (!allOpen || bitCount(cross) != n) continue;
                int changed = 0;
                for (int line = 0; line < 9; line++) {
                    if (lines >> line & 1) continue;
                    for (int k = 0; k < 9; k++) {
                        if (!(cross >> k & 1)) continue;
                        const int cell = byColumns ? 9 * k + line : 9 * line + k;
                        changed |= strike(g, cell, 1u << d);
                    }
                }
                if (changed) return 1;
            }
        }
    }
    return 0;
}

// A pivot {x,y} seeing pincers {x,z} and {y,z}: z leaves every cell seeing both pincers.
int xyWing(CandidateGrid& g) {
    const GridUnits& u = gridUnits();
    auto pair = [&](int cell) { return g.digits[cell] == 0 && bitCount(g.candidates[cell]) == 2; };
    for (int pivot = 0; pivot < 81; pivot++) {
        if (!pair(pivot)) continue;
        const unsigned xy = g.candidates[pivot];
        for (int a : u.peers[pivot]) {
            if (!pair(a) || bitCount(g.candidates[a] & xy) != 1) continue;
            const unsigned z = g.candidates[a] & ~xy;
            const unsigned wantB = (xy & ~g.candidates[a]) | z;
            for (int b : u.peers[pivot]) {
                if (b == a || !pair(b) || g.candidates[b] != wantB) continue;
                int changed = 0;
                for (int cell : u.peers[a])
                    if (cell != pivot && sees(cell, b)) changed |= strike(g, cell, z);
                if (changed) return 1;
            }
        }
    }
    return 0;
}

}  // namespace

CandidateGrid::CandidateGrid(const int grid[81]) {
    for (int cell = 0; cell < 81; cell++) {
        const int d = grid[cell];
        digits[cell] = d >= 1 && d <= 9 ? d : 0;
    }
    for (int cell = 0; cell < 81; cell++) {
        if (digits[cell] != 0) continue;
        unsigned seen = 0;
        for (int p : gridUnits().peers[cell]) seen |= 1u << digits[p];
        candidates[cell] = uint16_t(kAllDigitBits & ~seen);
    }
}

void CandidateGrid::place(int cell, int d) {
    digits[cell] = d;
    candidates[cell] = 0;
    for (int p : gridUnits().peers[cell]) strike(*this, p, 1u << d);
}

int CandidateGrid::solved() const {
    for (int d : digits)
        if (d == 0) return 0;
    return 1;
}

int applyTechnique(CandidateGrid& g, Technique technique) {
    switch (technique) {
        case HiddenSingle: return hiddenSingle(g);
        case NakedSingle: return nakedSingle(g);
        case Pointing: return pointing(g);
        case Claiming: return claiming(g);
        case NakedPair: return nakedSubset(g, 2);
        case HiddenPair: return hiddenSubset(g, 2);
        case NakedTriple: return nakedSubset(g, 3);
        case HiddenTriple: return hiddenSubset(g, 3);
        case XWing: return fish(g, 2);
        case XYWing: return xyWing(g);
        case Swordfish: return fish(g, 3);
        case NakedQuad: return nakedSubset(g, 4);
        case HiddenQuad: return hiddenSubset(g, 4);
        case kTechniqueCount: break;
    }
    return 0;
}

const char* techniqueName(int technique) {
    static const char* const names[kTechniqueCount] = {
        "hidden single", "naked single", "pointing",   "claiming",    "naked pair",
        "hidden pair",   "naked triple", "hidden triple", "X-wing",   "XY-wing",
        "swordfish",     "naked quad",   "hidden quad"};
    return technique >= 0 && technique < kTechniqueCount ? names[technique] : "";
}

int techniqueLevel(int technique) {
    if (technique <= NakedSingle) return Easy;
    if (technique <= HiddenPair) return Medium;
    return Hard;
}

const char* levelWord(int level) {
    static const char* const words[] = {"", "easy", "medium", "hard", "evil"};
    return level >= Easy && level <= Evil ? words[level] : "";
}

Grade gradePuzzle(const int grid[81], int techniques) {
    Grade grade;
    CandidateGrid g(grid);
    while (!g.solved()) {
        int t = 0;
        while (t < techniques && !applyTechnique(g, Technique(t))) t++;
        if (t >= techniques) break;
        grade.uses[t]++;
        if (t > grade.hardest) grade.hardest = t;
    }
    grade.solved = g.solved();
    if (countSolutions(grid, 2) != 1)
        grade.level = NotUnique;
    else if (!grade.solved)
        grade.level = Evil;
    else
        grade.level = grade.hardest < 0 ? Easy : techniqueLevel(grade.hardest);
    return grade;
}
