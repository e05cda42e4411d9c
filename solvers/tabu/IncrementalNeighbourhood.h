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

// The swap neighbourhood of the tabu search for large instances: instead of rating all pairs every
// iteration, it keeps for each first position i the best pair (i, j) that is not tabu and, after an
// exchange, re-rates only the pairs that touch the exchanged positions; the few tabu pairs are
// rated afresh every iteration for aspiration. It chooses exactly the pair that
// FullScanNeighbourhood chooses. All candidates of one iteration share the current route's length,
// so pairs compare by the change of length they make; that takes weights for which no length wraps
// (see fits).
class IncrementalNeighbourhood {
public:
    // Whether the neighbourhood can serve these weights: every route length stays below the
    // all-ones value and every change of length that an exchange makes fits a signed 32-bit value.
    [[nodiscard]] static bool fits(const WeightMatrix& weights);
    // The bytes that the neighbourhood of an n-vertex graph allocates.
    static std::uint64_t bytesFor(std::uint64_t n);

    // Rates routes over the given weights under the given tabu memory; both must outlive the
    // neighbourhood. REQUIRES: fits(weights) and at least four vertices.
    IncrementalNeighbourhood(const WeightMatrix& weights, const TabuMemory& memory);

    // Stands on a complete route of n+1 entries; O(n^2). False, and no route to stand on, when the
    // run is cancelled on the way.
    [[nodiscard]] bool setRoute(const Route& newRoute, const RunLimits& limits);
    [[nodiscard]] const Route& getRoute() const { return positions.getRoute(); }

    // The admissible pair with the shortest exchanged route, the earliest in (i, j) order among
    // equal lengths. A pair that the memory holds tabu is admissible only when its length is
    // strictly below bestLength; without a best (haveBest false) every pair is admissible.
    [[nodiscard]] SwapChoice bestAdmissible(bool haveBest, std::uint32_t bestLength) const;

    // Exchanges positions i and j; newLength is the length rated for the pair. The rows it re-rates
    // read the memory, so its upkeep for this iteration must come first.
    void swapPositions(std::uint32_t i, std::uint32_t j, std::uint32_t newLength);
    // Takes the pair (i, j), which the memory has just stopped holding tabu, back into its row.
    void tabuEnded(std::uint32_t i, std::uint32_t j);

private:
    // The change of length that exchanging positions i < j makes.
    [[nodiscard]] std::int32_t changeOf(std::uint32_t i, std::uint32_t j) const;
    // Finds the best pair of row i among all of its pairs.
    void rateRow(std::uint32_t i);
    // Re-rates the pairs (i, j) of every row for one second position j.
    void rateColumn(std::uint32_t j);
    // Tells row i that its pair (i, j), not tabu, now makes the change given.
    void offer(std::uint32_t i, std::uint32_t j, std::int32_t change);
    void markStale(std::uint32_t i);
    void rateStaleRows();

    const TabuMemory& memory;  // which pairs are tabu
    PositionWeights positions; // the route and the weights between its positions
    // Per first position i, 1 <= i <= n-3: the least change of a pair (i, j) that is not tabu
    // (noChange when every pair of the row is tabu), and its j, the first among equal changes.
    std::vector<std::int32_t> rowChange;
    std::vector<std::uint32_t> rowPartner;
    std::vector<std::uint8_t> stale;      // rows whose best must be found by rating every pair
    std::vector<std::uint32_t> staleRows; // the rows marked stale, each once
    std::vector<std::int32_t> scratch;    // the changes of one row or column of pairs
};

} // namespace komiwojazer
