#pragma once

#include "graph/TableBytes.h"

#include <atomic>
#include <cstdint>

namespace komiwojazer {

// What the caller allows one long piece of work on a graph (a solver run, a file load): the memory
// its tables and stores may take, and a flag that ends it early. The work checks the flag often
// enough, setup included, that it ends within a fraction of a second of the flag turning true.
struct RunLimits {
    std::uint64_t memoryBudgetBytes = saturatedBytes; // no budget unless the caller sets one
    const std::atomic<bool>* cancel = nullptr;        // null: the run is never cancelled

    [[nodiscard]] bool cancelled() const {
        return cancel != nullptr && cancel->load(std::memory_order_relaxed);
    }
};

} // namespace komiwojazer
