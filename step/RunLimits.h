#pragma once

#include "step/Bytes.h"

#include <atomic>
#include <cstdint>

namespace komiwojazer {

// How much memory a long step (a search, a load) may take, and what stops it early.
//
// The driver gives every step the least of what the system leaves free and its own cap (see
// app/SystemMemory.h); a step charges every table and store it allocates against that budget and
// ends with OutOfMemory rather than grow past it. Two shares of it are fixed here, for the program
// and the benchmark alike.

// Branch and bound may take half of what is free: its queue grows until the search stops, and the
// machine must keep room for everything else.
[[nodiscard]] constexpr std::uint64_t branchAndBoundShare(std::uint64_t budgetBytes) {
    return budgetBytes / 2;
}

// One word kept whole (a file name, a header value, a coordinate) may take a quarter of what is
// left: growing it may briefly hold two copies, and the rest of the step needs room too. A word is
// a table of characters, so it takes no more than the largest table either, a size that size_t
// holds: on a 32-bit system a quarter of 16 GiB would otherwise pass for none.
[[nodiscard]] constexpr std::uint64_t wordShare(std::uint64_t budgetBytes) {
    return budgetBytes / 4 < largestTableBytes ? budgetBytes / 4 : largestTableBytes;
}

// What the caller allows one long step: the memory its tables and stores may take, and a flag that
// ends it early. The step checks the flag often enough, setup included, that it ends within a
// fraction of a second of the flag turning true.
struct RunLimits {
    std::uint64_t memoryBudgetBytes = saturatedBytes; // no budget unless the caller sets one
    const std::atomic<bool>* cancel = nullptr;        // null: the step is never cancelled

    [[nodiscard]] bool cancelled() const {
        return cancel != nullptr && cancel->load(std::memory_order_relaxed);
    }
};

} // namespace komiwojazer
