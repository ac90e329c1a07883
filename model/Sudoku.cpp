#include "Sudoku.h"

#include <cmath>
#include <cstring>

namespace {

const int kPermutations[Sudoku::kPermutationCount][9] = {
    {0, 1, 2, 3, 4, 5, 6, 7, 8}, {1, 0, 2, 8, 7, 6, 5, 3, 4}, {2, 0, 1, 6, 8, 7, 4, 5, 3},
    {2, 1, 0, 7, 6, 8, 3, 4, 5}, {1, 2, 0, 7, 8, 6, 4, 3, 5}, {3, 5, 4, 1, 0, 2, 8, 6, 7},
    {4, 3, 5, 1, 2, 0, 6, 8, 7}, {5, 4, 3, 0, 1, 2, 7, 8, 6}, {3, 4, 5, 2, 0, 1, 7, 6, 8},
    {8, 6, 7, 1, 2, 0, 5, 3, 4}, {7, 6, 8, 2, 0, 1, 3, 4, 5}, {6, 8, 7, 0, 1, 2, 4, 5, 3},
    {7, 8, 6, 0, 2, 1, 5, 4, 3},
};

const char* const kDifficultyNames[] = {"?", "Easy", "Medium", "Hard", "Evil"};

}  // namespace

SudokuCell::SudokuCell(const SudokuCell& other) { *this = other; }

SudokuCell& SudokuCell::operator=(const SudokuCell& other) {
    if (this == &other) return *this;
    digitCount = other.digitCount;
    row = other.row;
    column = other.column;
    box = other.box;
    index = other.index;
    std::memcpy(candidates, other.candidates, sizeof candidates);
    candidateCount = other.candidateCount;
    singleCandidate = other.singleCandidate;
    std::memcpy(notes, other.notes, sizeof notes);
    kind = other.kind;
    digit = other.digit;
    boardRows = other.boardRows;
    x = other.x;
    y = other.y;
    inset = other.inset;
    lift = other.lift;
    snapshot = other.snapshot.empty() ? cv::Mat() : other.snapshot.clone();
    return *this;
}

void SudokuCell::setAllCandidates() {
    for (int d = 1; d <= digitCount; d++) candidates[d] = 1;
    candidateCount = digitCount;
    singleCandidate = 0;
}

void SudokuCell::removeCandidate(int d) {
    candidates[d] = 0;
    recountCandidates();
}

void SudokuCell::recountCandidates() {
    int count = 0, last = 0;
    for (int d = 1; d <= digitCount; d++) {
        if (candidates[d]) {
            count++;
            last = d;
        }
    }
    candidateCount = count;
    if (count == 1) singleCandidate = last;
}

Sudoku::Sudoku(int rows_, int columns_, int digits, int boxes, int bands, int stacks)
    : digitCount(digits),
      rows(rows_),
      columns(columns_),
      boxCount(boxes),
      boxBands(bands),
      boxStacks(stacks),
      boxHeight(rows_ / bands),
      boxWidth(columns_ / stacks),
      cellCount(rows_ * columns_) {
    std::memcpy(permutationTable, kPermutations, sizeof permutationTable);
    extent.xmax = columns + extent.margin;
    extent.ymin = -extent.margin;
    extent.ymax = rows;
    resetCells();
}

Sudoku::Sudoku(const Sudoku& other) { *this = other; }

Sudoku& Sudoku::operator=(const Sudoku& other) {
    if (this == &other) return *this;
    digitCount = other.digitCount;
    rows = other.rows;
    columns = other.columns;
    boxCount = other.boxCount;
    boxBands = other.boxBands;
    boxStacks = other.boxStacks;
    boxHeight = other.boxHeight;
    boxWidth = other.boxWidth;
    cellCount = other.cellCount;
    difficulty = other.difficulty;
    cells = other.cells;  // SudokuCell copies clone their snapshots
    rowCounters = other.rowCounters;
    columnCounters = other.columnCounters;
    boxCounters = other.boxCounters;
    tiles = other.tiles;
    currentTile = other.currentTile;
    evaluate = other.evaluate;
    for (int i = 0; i < 10; i++)
        digitImages[i] = other.digitImages[i].empty() ? cv::Mat() : other.digitImages[i].clone();
    std::memcpy(permutationTable, other.permutationTable, sizeof permutationTable);
    permutationNumber = other.permutationNumber;
    extent = other.extent;
    return *this;
}

void Sudoku::resetCells() {
    cells.assign(cellCount, SudokuCell());
    for (int r = 0; r < rows; r++) {
        for (int c = 0; c < columns; c++) {
            SudokuCell& cl = cell(r, c);
            cl.digitCount = digitCount;
            cl.row = r;
            cl.column = c;
            cl.box = boxOf(r, c);
            cl.index = r * columns + c;
            cl.setAllCandidates();
            cl.boardRows = rows;
            cl.x = (float)c;
            cl.y = (float)(rows - r - 1);
        }
    }
    DigitCounter zero;
    zero.digitCount = digitCount;
    rowCounters.assign(rows, zero);
    columnCounters.assign(columns, zero);
    boxCounters.assign(boxCount, zero);
}

int Sudoku::containsPlace(int r, int c) const {
    return r >= 0 && r < rows && c >= 0 && c < columns;
}

int Sudoku::boxOf(int r, int c) const {
    if (!containsPlace(r, c)) return -1;
    return boxStacks * (r / boxHeight) + c / boxWidth;
}

void Sudoku::removeCandidateAround(int r, int c, int d) {
    for (int k = 0; k < columns; k++) cell(r, k).removeCandidate(d);
    for (int k = 0; k < rows; k++) cell(k, c).removeCandidate(d);
    const int box = boxOf(r, c);
    for (SudokuCell& cl : cells)
        if (cl.box == box) cl.removeCandidate(d);
}

int Sudoku::setDigit(int r, int c, int d, int kind, const cv::Mat& snapshot) {
    // An Empty kind with a digit would break the cell's own bookkeeping.
    if (!containsPlace(r, c) || !validDigit(d) || kind < Entered || kind > RecognizedUnflagged)
        return 0;
    SudokuCell& cl = cell(r, c);
    if (cl.digit != 0) return 0;
    cl.digit = d;
    cl.kind = kind;
    for (int k = 1; k <= digitCount; k++) cl.candidates[k] = 0;
    cl.candidates[d] = 1;
    cl.candidateCount = 1;
    cl.singleCandidate = d;
    cl.snapshot = snapshot.empty() ? cv::Mat() : snapshot.clone();
    rowCounters[r].count[d]++;
    columnCounters[c].count[d]++;
    boxCounters[cl.box].count[d]++;
    removeCandidateAround(r, c, d);
    return 1;
}

void Sudoku::recountCounters(int r, int c) {
    DigitCounter& rowCounter = rowCounters[r];
    DigitCounter& columnCounter = columnCounters[c];
    const int box = boxOf(r, c);
    DigitCounter& boxCounter = boxCounters[box];
    for (int d = 0; d < 10; d++) rowCounter.count[d] = columnCounter.count[d] = boxCounter.count[d] = 0;
    for (int k = 0; k < columns; k++) rowCounter.count[cell(r, k).digit]++;
    for (int k = 0; k < rows; k++) columnCounter.count[cell(k, c).digit]++;
    for (const SudokuCell& cl : cells)
        if (cl.box == box) boxCounter.count[cl.digit]++;
    // Empty cells were tallied under 0, which counts no digit.
    rowCounter.count[0] = columnCounter.count[0] = boxCounter.count[0] = 0;
}

void Sudoku::recomputeCandidates() {
    for (SudokuCell& cl : cells) cl.setAllCandidates();
    for (int r = 0; r < rows; r++)
        for (int c = 0; c < columns; c++)
            if (cell(r, c).digit != 0) removeCandidateAround(r, c, cell(r, c).digit);
}

int Sudoku::clearCell(int r, int c) {
    if (!containsPlace(r, c)) return 0;
    SudokuCell& cl = cell(r, c);
    if (cl.kind != Entered) return 0;
    cl.setAllCandidates();
    cl.kind = Empty;
    cl.digit = 0;
    cl.snapshot.release();
    for (int d = 0; d < 100; d++) cl.notes[d] = NoteUndecided;
    recountCounters(r, c);
    recomputeCandidates();
    return 1;
}

int Sudoku::digitAt(int r, int c) const {
    if (!containsPlace(r, c)) return -1;
    return cell(r, c).digit;
}

int Sudoku::kindAt(int r, int c) const {
    if (!containsPlace(r, c)) return 0;
    return cell(r, c).kind;
}

int Sudoku::isConflict(int r, int c) const { return evaluate && conflictAt(r, c); }

int Sudoku::conflictAt(int r, int c) const {
    if (!containsPlace(r, c)) return 0;
    const SudokuCell& cl = cell(r, c);
    if (cl.kind != Entered) return 0;
    const int d = cl.digit;
    return rowCounters[r].count[d] > 1 || columnCounters[c].count[d] > 1 ||
           boxCounters[cl.box].count[d] >= 2;
}

int Sudoku::countConflicts() const {
    int n = 0;
    for (int r = 0; r < rows; r++)
        for (int c = 0; c < columns; c++) n += conflictAt(r, c);
    return n;
}

int Sudoku::countEmptyCells() const {
    int n = 0;
    for (const SudokuCell& cl : cells) n += cl.kind == Empty;
    return n;
}

int Sudoku::setNote(int r, int c, int d, int value) {
    if (!containsPlace(r, c) || d < 0 || d > digitCount) return 0;
    cell(r, c).notes[d] = value;
    return value;
}

int Sudoku::noteAt(int r, int c, int d) const {
    if (!containsPlace(r, c) || d < 0 || d > digitCount) return 0;
    return cell(r, c).notes[d];
}

void Sudoku::clearNotesOfDigit(int d) {
    if (!validDigit(d)) return;
    for (SudokuCell& cl : cells) cl.notes[d] = NoteUndecided;
}

void Sudoku::clearAllNotes() {
    for (int d = 1; d <= digitCount; d++) clearNotesOfDigit(d);
}

int Sudoku::markUpCells(int d, int r0, int r1, int c0, int c1) {
    if (!validDigit(d)) return 0;
    int changed = 0;
    for (int r = r0; r <= r1 && r < rows; r++) {
        for (int c = c0; c <= c1 && c < columns; c++) {
            SudokuCell& cl = cell(r, c);
            if (cl.kind != Empty) continue;
            const int before = cl.notes[d];
            if (!cl.candidates[d])
                cl.notes[d] = NoteUndecided;
            else if (cl.notes[d] != NoteBad)
                cl.notes[d] = NoteGood;
            changed += cl.notes[d] != before;
        }
    }
    return changed;
}

int Sudoku::markUpDigit(int d) { return markUpCells(d, 0, rows - 1, 0, columns - 1); }

int Sudoku::markUpAll() {
    int changed = 0;
    for (int d = 1; d <= digitCount; d++) changed += markUpDigit(d);
    return changed;
}

void Sudoku::markUpBand(int r, int d) {
    if (r < 0 || r >= rows) return;
    const int first = boxHeight * (r / boxHeight);
    markUpCells(d, first, first + boxHeight - 1, 0, columns - 1);
}

void Sudoku::markUpStack(int c, int d) {
    if (c < 0 || c >= columns) return;
    const int first = boxWidth * (c / boxWidth);
    markUpCells(d, 0, rows - 1, first, first + boxWidth - 1);
}

void Sudoku::replaceDigitImages(const cv::Mat images[10]) {
    if (!images) return;
    for (int i = 0; i < 10; i++)
        if (!images[i].empty()) digitImages[i] = images[i].clone();
}

void Sudoku::loadRecognizedGrid(const int digits[81], const int flags[81],
                                const cv::Mat snapshots[81], int gridRows, int gridColumns,
                                const cv::Mat images[10]) {
    resetCells();
    for (int g = 0; g < gridRows && g < rows; g++) {
        for (int c = 0; c < gridColumns && c < columns && g * gridColumns + c < 81; c++) {
            const int i = g * gridColumns + c;
            if (digits[i] == -1 || digits[i] == 0) continue;
            const cv::Mat snapshot = snapshots ? snapshots[i] : cv::Mat();
            setDigit(rows - 1 - g, c, digits[i], flags[i] ? Recognized : RecognizedUnflagged,
                     snapshot);
        }
    }
    replaceDigitImages(images);
}

void Sudoku::mergeRecognizedDigits(const int digits[81], const int flags[81],
                                   const cv::Mat snapshots[81], int gridRows, int gridColumns,
                                   const cv::Mat images[10]) {
    for (int g = 0; g < gridRows && g < rows; g++) {
        for (int c = 0; c < gridColumns && c < columns && g * gridColumns + c < 81; c++) {
            const int i = g * gridColumns + c;
            if (digits[i] == -1 || digits[i] == 0 || !flags[i]) continue;
            const cv::Mat snapshot = snapshots ? snapshots[i] : cv::Mat();
            clearCell(rows - 1 - g, c);
            setDigit(rows - 1 - g, c, digits[i], Recognized, snapshot);
        }
    }
    replaceDigitImages(images);
}

int Sudoku::difficultyName(char* buffer, int size) const {
    if (difficulty >= 0 && difficulty <= 4 && buffer && size > 0)
        std::snprintf(buffer, size, "%s", kDifficultyNames[difficulty]);
    return difficulty;
}

int Sudoku::setPermutationNumber(int number) {
    if (number < 0 || number >= kPermutationCount) return 0;
    permutationNumber = number;
    return 1;
}

const int* Sudoku::permutationRow(int number) const {
    if (number < 0 || number >= kPermutationCount) return nullptr;
    return permutationTable[number];
}

int Sudoku::inTableArea(int y, int x) const {
    return extent.xmin <= x && x <= extent.xmax && extent.ymin <= y && y <= extent.ymax;
}

int Sudoku::inCornerArea(int y, int x) const {
    const bool xSide = (x <= 0 && x >= extent.xmin) || (x >= columns && x <= extent.xmax);
    const bool ySide = (y <= 0 && y >= extent.ymin) || (y >= rows && y <= extent.ymax);
    return xSide && ySide;
}

void Sudoku::fitTableArea(int overviewsShown) {
    extent.xmin = overviewsShown ? 0 : -extent.margin;
    extent.ymax = overviewsShown ? rows : extent.margin + rows;
}

void Sudoku::print(FILE* out) const {
    std::fprintf(out, "SUDOKU GRID: [%d,%d]\n", rows, columns);
    for (int r = 0; r < rows; r++) {
        for (int c = 0; c < columns; c++) std::fprintf(out, "%d ", cell(r, c).digit);
        std::fprintf(out, "\n");
    }
}

void Sudoku::addTile(float x, float y, int digit) {
    Tile t;
    t.x = x;
    t.y = y;
    t.digit = digit;
    tiles.push_back(t);
}

void Sudoku::replaceTiles(const std::vector<Tile>& from) {
    tiles = from;
    currentTile = -1;
}

Tile* Sudoku::current() { return currentTile >= 0 ? &tiles[currentTile] : nullptr; }

Tile* Sudoku::pickTile(float x, float y) {
    int nearest = -1;
    double best = 0;
    for (int i = 0; i < (int)tiles.size(); i++) {
        const double dist = std::hypot(tiles[i].x - x, tiles[i].y - y);
        if (nearest < 0 || dist < best) {
            nearest = i;
            best = dist;
        }
    }
    if (nearest >= 0 && best < 1.0) currentTile = nearest;
    return current();
}

void Sudoku::moveCurrentTile(float x, float y) {
    if (Tile* t = current()) {
        t->x = x;
        t->y = y;
    }
}

int Sudoku::isCurrentTileNear(float x, float y) const {
    if (currentTile < 0) return 0;
    const Tile& t = tiles[currentTile];
    return std::hypot(t.x - x, t.y - y) < 1.0;
}

void Sudoku::dropCurrentTile() {
    if (currentTile < 0) return;
    tiles.erase(tiles.begin() + currentTile);
    currentTile = tiles.empty() ? -1 : 0;
}

void Sudoku::dropAllTiles() {
    while (currentTile >= 0) dropCurrentTile();
}
