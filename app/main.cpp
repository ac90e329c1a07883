// Console start of the game: greets, loads the first puzzle and shows it.
#include "GridStack.h"
#include "PuzzleFile.h"
#include "SessionSettings.h"

#include <cstdio>

int main() {
    SessionSettings session;
    std::printf("Welcome to Tabrelo\n");
    Sudoku board;
    session.setGridNumber(1);
    if (!readPuzzle(board, session.gridPath())) readPuzzle(board, kFallbackPuzzlePath);
    permute(board);
    board.print();
    return 0;
}
