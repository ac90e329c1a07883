// Solves a puzzle the way a person does, easiest technique first, and names
// its difficulty by the hardest technique it needed:
//   easy    naked and hidden singles,
//   medium  also locked candidates (pointing, claiming), naked and hidden pairs,
//   hard    also naked and hidden triples and quads, X-wing, swordfish, XY-wing,
//   evil    a unique solution that these techniques do not reach.
#pragma once

#include <cstdint>

// In the order they are tried.
enum Technique {
    HiddenSingle,
    NakedSingle,
    Pointing,
    Claiming,
    NakedPair,
    HiddenPair,
    NakedTriple,
    HiddenTriple,
    XWing,
    XYWing,
    Swordfish,
    NakedQuad,
    HiddenQuad,
    kTechniqueCount
};

enum Level { NotUnique = 0, Easy = 1, Medium = 2, Hard = 3, Evil = 4 };

const char* techniqueName(int technique);
int techniqueLevel(int technique);
// "easy", "medium", "hard", "evil" (the level word of a puzzle file); "" otherwise.
const char* levelWord(int level);

// The pencil marks of a position: a digit or the candidates of every cell.
struct CandidateGrid {
    int digits[81] = {};
    uint16_t candidates[81] = {};  // bit d while d is possible in an empty cell

    // Givens placed, candidates of the empty cells struck by their peers.
    explicit CandidateGrid(const int grid[81]);
    // Places d and strikes it from the peers.
    void place(int cell, int d);
    int hasCandidate(int cell, int d) const { return digits[cell] == 0 && (candidates[cell] >> d & 1); }
    int solved() const;
};

// Applies the first instance of the technique that changes the position
// (places a digit or removes candidates); 1 when it found one.
int applyTechnique(CandidateGrid& grid, Technique technique);

struct Grade {
    int level = NotUnique;
    int hardest = -1;                  // the hardest technique used, -1 for none
    int uses[kTechniqueCount] = {};    // instances applied per technique
    int solved = 0;                    // the techniques finished the grid
};

// Steps through the position, always with the easiest technique that works,
// using only the techniques before `techniques`. A grid without exactly one
// solution gets the level NotUnique (and is still stepped through).
Grade gradePuzzle(const int grid[81], int techniques = kTechniqueCount);
