#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <limits>

namespace komiwojazer {

// How much memory a long step (a search, a load) may take, and what stops it early.
//
// The driver gives every step the least of what the system leaves free and its own cap (see
// app/SystemMemory.h); a step charges every table and store it allocates against that budget and
// ends with OutOfMemory rather than grow past it. Two shares of it are fixed here, for the program
// and the benchmark alike.

// Sizes of tables saturate at the largest 64-bit value instead of wrapping, so that a huge vertex
// count can never look small enough to fit.
inline constexpr std::uint64_t saturatedBytes = std::numeric_limits<std::uint64_t>::max();

// The most bytes that one table may take on this platform: a table is indexed with size_t and
// ptrdiff_t, so on a 32-bit system none passes 2 GiB, however much memory a 64-bit kernel reports
// free to the process. The size of a larger one saturates.
inline constexpr std::uint64_t largestTableBytes = std::numeric_limits<std::ptrdiff_t>::max();

[[nodiscard]] constexpr std::uint64_t addBytes(std::uint64_t a, std::uint64_t b) {
    return a > saturatedBytes - b ? saturatedBytes : a + b;
}

[[nodiscard]] constexpr std::uint64_t multiplyBytes(std::uint64_t a, std::uint64_t b) {
    return a != 0 && b > saturatedBytes / a ? saturatedBytes : a * b;
}

// The bytes of a table of count values of type T; saturated when no table of this platform holds
// them (see largestTableBytes).
template <typename T> [[nodiscard]] constexpr std::uint64_t bytesOf(std::uint64_t count) {
    const std::uint64_t bytes = multiplyBytes(count, sizeof(T));
    return bytes <= largestTableBytes ? bytes : saturatedBytes;
}

// The bytes of an n*n table of T.
template <typename T> [[nodiscard]] constexpr std::uint64_t tableBytes(std::uint64_t n) {
    return bytesOf<T>(multiplyBytes(n, n));
}

// Whether tables of the given bytes may be allocated within budgetBytes. A saturated size fits no
// budget, not even one without a limit: the tables it stands for cannot be held at all.
[[nodiscard]] constexpr bool fitsBudget(std::uint64_t bytes, std::uint64_t budgetBytes) {
    return bytes != saturatedBytes && bytes <= budgetBytes;
}

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
