// libFuzzer target: any bytes as a puzzle file ("sudoku-grids/g<N>.txt") are
// read without crash, hang or overflow into a board of given digits, read the
// same twice, and survive every permutation.
#include "PuzzleFile.h"
#include "Sudoku.h"

#include "FuzzInput.h"

static int givens(const Sudoku& board) {
    int count = 0;
    for (const SudokuCell& cell : board.cells) {
        check(cell.digit >= 0 && cell.digit <= 9, "digits are 0..9");
        check((cell.digit == 0) == (cell.kind == Empty), "a digit is given, no digit is empty");
        check(cell.digit == 0 || cell.kind == Given, "read digits are given");
        count += cell.digit != 0;
    }
    return count;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* path = inputFile(data, size);
    Sudoku board;
    check(readPuzzle(board, path) == 1, "a file that opens is read");
    check(board.difficulty >= 0 && board.difficulty <= 4, "difficulty is a level or none");
    const int count = givens(board);

    Sudoku again;
    again.setDigit(4, 4, 5, Entered);
    readPuzzle(again, path);
    for (int i = 0; i < 81; i++)
        check(again.cells[i].digit == board.cells[i].digit, "the same file reads the same");

    for (int p = 0; p < Sudoku::kPermutationCount; p++) {
        Sudoku permuted = board;
        check(permuted.setPermutationNumber(p) == 1, "every permutation is known");
        permute(permuted);
        check(givens(permuted) == count, "a permutation keeps every given");
        check(permuted.countConflicts() == board.countConflicts(), "a permutation keeps conflicts");
    }
    return 0;
}
