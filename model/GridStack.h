// The bounded stack of remembered boards. Every stored board is a deep copy
// owned by the stack; a popped board is handed to the caller.
#pragma once

#include "Sudoku.h"

#include <memory>
#include <vector>

class GridStack {
public:
    explicit GridStack(int capacity = 50);

    int push(const Sudoku& board);      // 1 pushed, 0 full
    std::unique_ptr<Sudoku> pop();      // none when empty
    int isEmpty() const { return count_ == 0; }
    int isFull() const { return count_ == capacity_; }
    int count() const { return count_; }
    int capacity() const { return capacity_; }

private:
    int capacity_;
    int count_ = 0;
    std::vector<std::unique_ptr<Sudoku>> slots_;
};
