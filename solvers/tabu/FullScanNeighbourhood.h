#pragma once

#include "solvers/Route.h"
#include "solvers/WeightMatrix.h"
#include "solvers/tabu/PositionWeights.h"
#include "solvers/tabu/SwapChoice.h"
#include "solvers/tabu/TabuMemory.h"
#include "step/RunLimits.h"

#include <cstdint>
#include <vector>

namespace komiwojazer {

// The swap neighbourhood of the tabu search over one route: it rates every exchange of positions
// 1 <= i < j <= n-2 in time linear in n per row of pairs, and applies a chosen exchange in O(n).
// Lengths are 32-bit wrapping sums and equal the full sum of the exchanged route modulo 2^32.
class FullScanNeighbourhood {
public:
    using Choice = SwapChoice;

    // Rates routes over the given weights under the given tabu memory; both must outlive the
    // neighbourhood.
    FullScanNeighbourhood(const WeightMatrix& weights, const TabuMemory& memory);
    // The bytes that the neighbourhood of an n-vertex graph allocates.
    static std::uint64_t bytesFor(std::uint64_t n);

    // Stands on a complete route of n+1 entries; O(n^2). False, and no route to stand on, when the
    // run is cancelled on the way.
    [[nodiscard]] bool setRoute(const Route& newRoute, const RunLimits& limits) {
        return positions.setRoute(newRoute, limits);
    }
    [[nodiscard]] const Route& getRoute() const { return positions.getRoute(); }

    // The admissible pair with the shortest exchanged route, the earliest in (i, j) order among
    // equal lengths. A pair that the memory holds tabu is admissible only when its length is
    // strictly below bestLength; without a best (haveBest false) every pair is admissible.
    [[nodiscard]] Choice bestAdmissible(bool haveBest, std::uint32_t bestLength);

    // Exchanges positions i and j; newLength is the length that the scan rated for the pair.
    // Every scan reads the memory afresh, so the memory's upkeep may come before or after.
    void swapPositions(std::uint32_t i, std::uint32_t j, std::uint32_t newLength) {
        positions.swapPositions(i, j, newLength);
    }
    // Every scan reads the memory afresh, so a pair that stops being tabu needs no upkeep.
    void tabuEnded(std::uint32_t, std::uint32_t) {}

private:
    template <class Key> Choice scan(Key threshold, std::vector<Key>& minima) const;

    const TabuMemory& memory; // which pairs are tabu
    // Some route length may wrap around 2^32, so keys need 64 bits. Weights that addEdge stores
    // stay below 1000, and a graph would need over four million vertices for that; only graphs
    // whose weights are not capped that way come here.
    bool wideKeys;
    PositionWeights positions;               // the route and the weights between its positions
    std::vector<std::uint32_t> narrowMinima; // scratch: least key per row of pairs
    std::vector<std::uint64_t> wideMinima;   // the same where keys need 64 bits
};

} // namespace komiwojazer
