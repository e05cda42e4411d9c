#pragma once

#include <cstdint>
#include <deque>
#include <unordered_map>
#include <vector>

namespace komiwojazer {

// The tabu list of the search, kept so that each question and each iteration's upkeep cost O(1).
// Every entry lives the same number of iterations, so the entries expire in the order in which
// they were recorded and a queue of expiry iterations replaces the decrement of every entry.
// Pairs are positions 1 <= i < j < n; an iteration that chose no pair records nothing, since its
// entry would name positions 0 and 0, which no pair matches.
class TabuMemory {
public:
    // Two positions of a route, i < j; (0, 0) names no pair.
    struct Pair {
        std::uint32_t i = 0;
        std::uint32_t j = 0;
    };
    // One recorded move.
    struct Entry {
        std::uint64_t expiry = 0; // the iteration at whose end the entry is dropped
        Pair pair;                // the positions the move exchanged
    };

    // An entry lives tenure iterations. REQUIRES: tenure >= 1.
    TabuMemory(std::uint32_t n, std::uint32_t tenure);
    // The bytes that the memory of an n-vertex search allocates, besides its few live entries.
    static std::uint64_t bytesFor(std::uint64_t n);

    // Nonzero at column j while some live entry names the pair (i, j).
    [[nodiscard]] const std::uint8_t* flagRow(std::uint32_t i) const {
        return flags.data() + std::size_t{i} * n;
    }
    [[nodiscard]] bool isTabu(std::uint32_t i, std::uint32_t j) const {
        return flags[std::size_t{i} * n + j] != 0;
    }
    // Whether any live entry names a pair whose first position is i.
    [[nodiscard]] bool rowHasTabu(std::uint32_t i) const { return rowCounts[i] != 0; }
    // The live entries, oldest first; a pair may stand in more than one.
    [[nodiscard]] const std::deque<Entry>& getEntries() const { return entries; }

    // Upkeep at the end of iteration `iteration` (counted from 1 over the whole search): drops the
    // entries that have lived their tenure, then records the pair chosen in this iteration, if any.
    // Returns the pair that is no longer tabu afterwards, or positions 0 and 0 when none is: at
    // most one entry expires per iteration.
    Pair endIteration(std::uint64_t iteration, bool chosen, std::uint32_t i, std::uint32_t j);

private:
    [[nodiscard]] std::size_t cell(Pair pair) const { return std::size_t{pair.i} * n + pair.j; }
    void add(Pair pair);
    void remove(Pair pair);

    std::uint32_t n;                                      // positions per route row
    std::uint32_t lifetime;                               // iterations an entry stays live
    std::vector<std::uint8_t> flags;                      // n*n, set while a pair has entries
    std::vector<std::uint32_t> rowCounts;                 // flagged pairs per first position
    std::deque<Entry> entries;                            // live entries, oldest first
    std::unordered_map<std::size_t, std::uint32_t> extra; // live entries beyond the first per pair
};

} // namespace komiwojazer
