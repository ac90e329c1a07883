// The Sudoku board: cells with their digits and where they came from, digit
// counters per row, column and box, candidates, markup notes and the digit
// tiles lying on or beside the virtual board. No drawing happens here.
#pragma once

#include <opencv2/core.hpp>

#include <cstdio>
#include <vector>

enum CellKind {
    Empty = 0,
    Entered = 1,              // placed by the player, may be removed
    Given = 2,                // from the puzzle file
    Recognized = 3,           // read by the camera, recognition flag set
    RecognizedUnflagged = 4   // read by the camera, recognition flag not set
};

enum NoteValue { NoteUndecided = 0, NoteGood = 1, NoteBad = 2 };

struct SudokuCell {
    int digitCount = 9;
    int row = 0, column = 0;
    int box = 0;
    int index = 0;
    unsigned char candidates[100] = {};  // entry d is 1 while d is still possible
    int candidateCount = 0;
    int singleCandidate = 0;
    int notes[100] = {};                 // entry d: NoteValue for digit d
    int kind = Empty;
    int digit = 0;
    int boardRows = 9;
    float x = 0, y = 0;                  // lower-left corner in board coordinates
    float inset = 0.1f, lift = 0.01f;
    cv::Mat snapshot;                    // camera picture of the digit; owned, empty for none

    SudokuCell() = default;
    // A copied cell gets its own snapshot pixels, so a remembered board never
    // changes when the live board's images change.
    SudokuCell(const SudokuCell& other);
    SudokuCell& operator=(const SudokuCell& other);

    void setAllCandidates();
    void removeCandidate(int d);
    void recountCandidates();
};

struct DigitCounter {
    int digitCount = 9;
    int count[10] = {};
};

struct Tile {
    float x = 0, y = 0;  // board units, y upwards along the rows
    int digit = 0;       // 0: a tile without digit
    int angle = 0;       // whole degrees
};

// Table-area bounds around the board; xmin and ymax follow the overview panes.
struct BoardExtent {
    float margin = 3.0f;
    float xmin = 0.0f, xmax = 12.0f;
    float ymin = -3.0f, ymax = 9.0f;
};

class Sudoku {
public:
    static const int kPermutationCount = 13;

    int digitCount, rows, columns, boxCount;
    int boxBands, boxStacks, boxHeight, boxWidth;
    int cellCount;
    int difficulty = 0;  // 0 unknown, 1 easy, 2 medium, 3 hard, 4 evil
    std::vector<SudokuCell> cells;
    std::vector<DigitCounter> rowCounters, columnCounters, boxCounters;
    std::vector<Tile> tiles;
    int currentTile = -1;  // index into tiles, -1 for none
    int evaluate = 1;      // the show_evaluate switch
    cv::Mat digitImages[10];
    int permutationTable[kPermutationCount][9];
    int permutationNumber = 0;
    BoardExtent extent;

    Sudoku(int rows = 9, int columns = 9, int digits = 9, int boxes = 9, int boxBands = 3,
           int boxStacks = 3);
    // Copies are deep: snapshots and digit images get their own pixels.
    Sudoku(const Sudoku& other);
    Sudoku& operator=(const Sudoku& other);

    void resetCells();
    int setDigit(int r, int c, int digit, int kind, const cv::Mat& snapshot = cv::Mat());
    int clearCell(int r, int c);
    int digitAt(int r, int c) const;
    int kindAt(int r, int c) const;
    // An entered digit clashing with another in its row, column or box; shown
    // only while the board is evaluated.
    int isConflict(int r, int c) const;
    // Clashing entered digits, whether the board is evaluated or not.
    int countConflicts() const;
    int countEmptyCells() const;
    int setNote(int r, int c, int digit, int value);
    int noteAt(int r, int c, int digit) const;
    void clearNotesOfDigit(int digit);
    void clearAllNotes();
    // Both return how many notes they changed.
    int markUpDigit(int digit);
    int markUpAll();
    void markUpBand(int r, int digit);
    void markUpStack(int c, int digit);
    // Arrays count their grid rows from the bottom of the board (board row 8 - g).
    void loadRecognizedGrid(const int digits[81], const int flags[81], const cv::Mat snapshots[81],
                            int gridRows, int gridColumns, const cv::Mat digitImages[10]);
    void mergeRecognizedDigits(const int digits[81], const int flags[81],
                               const cv::Mat snapshots[81], int gridRows, int gridColumns,
                               const cv::Mat digitImages[10]);
    int getEvaluate() const { return evaluate; }
    void setEvaluate(int on) { evaluate = on; }
    int difficultyName(char* buffer, int size) const;
    int setPermutationNumber(int number);
    const int* permutationRow(int number) const;
    int containsPlace(int r, int c) const;
    int inTableArea(int y, int x) const;
    int inCornerArea(int y, int x) const;
    // The overview panes, when shown, cover the table left of and above the board.
    void fitTableArea(int overviewsShown);
    int boxOf(int r, int c) const;
    int rowFromBottom(int r) const { return rows - 1 - r; }
    void print(FILE* out = stdout) const;

    // Tile list
    void addTile(float x, float y, int digit);
    void replaceTiles(const std::vector<Tile>& from);
    Tile* pickTile(float x, float y);
    Tile* current();
    void moveCurrentTile(float x, float y);
    int isCurrentTileNear(float x, float y) const;
    void dropCurrentTile();
    void dropAllTiles();

    SudokuCell& cell(int r, int c) { return cells[r * columns + c]; }
    const SudokuCell& cell(int r, int c) const { return cells[r * columns + c]; }
    int validDigit(int d) const { return d >= 1 && d <= digitCount; }

private:
    int conflictAt(int r, int c) const;
    void removeCandidateAround(int r, int c, int d);
    void recountCounters(int r, int c);
    void recomputeCandidates();
    int markUpCells(int digit, int r0, int r1, int c0, int c1);
    void replaceDigitImages(const cv::Mat images[10]);
};
