#pragma once

#include "solvers/UnsetArray.h"
#include "solvers/branchandbound/StorageBudget.h"

#include <cstddef>
#include <memory>
#include <vector>

namespace komiwojazer {

// A growable array made of fixed blocks that never move: growing copies nothing, and every block
// is charged to the budget before it is allocated, so a search can stop before memory runs out.
template <typename T> class ChunkedArray {
public:
    static constexpr unsigned blockShift = 12;
    static constexpr std::size_t blockSize = std::size_t{1} << blockShift;

    explicit ChunkedArray(StorageBudget& storageBudget) : budget(storageBudget) {}

    [[nodiscard]] std::size_t size() const { return count; }
    T& operator[](std::size_t index) {
        return blocks[index >> blockShift][index & (blockSize - 1)];
    }
    const T& operator[](std::size_t index) const {
        return blocks[index >> blockShift][index & (blockSize - 1)];
    }

    // Appends value; false, with the array unchanged, when a new block is over the budget.
    // A failed allocation still throws std::bad_alloc.
    [[nodiscard]] bool tryPushBack(const T& value) {
        if (count == blocks.size() * blockSize) {
            if (!budget.take(blockSize * sizeof(T))) {
                return false;
            }
            blocks.push_back(makeUnsetArray<T>(blockSize));
        }
        (*this)[count] = value;
        ++count;
        return true;
    }
    // Drops the last entry; its block stays allocated for the next push.
    void popBack() { --count; }

private:
    StorageBudget& budget;                    // charged for every block
    std::vector<std::unique_ptr<T[]>> blocks; // blockSize entries each
    std::size_t count = 0;                    // entries in use
};

} // namespace komiwojazer
