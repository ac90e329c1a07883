#include "GridStack.h"

GridStack::GridStack(int capacity) : capacity_(capacity < 0 ? 0 : capacity), slots_(capacity_) {}

int GridStack::push(const Sudoku& board) {
    if (count_ == capacity_) return 0;
    slots_[count_] = std::make_unique<Sudoku>(board);
    count_++;
    return 1;
}

std::unique_ptr<Sudoku> GridStack::pop() {
    if (count_ == 0) return nullptr;
    count_--;
    return std::move(slots_[count_]);
}
