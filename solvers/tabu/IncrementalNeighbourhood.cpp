#include "solvers/tabu/IncrementalNeighbourhood.h"

#include "solvers/tabu/VectorKernel.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace komiwojazer {
namespace {

// The change of a row none of whose pairs may be taken; above every real change, which is at
// most four weights and which fits keeps below it.
constexpr std::int32_t noChange = std::numeric_limits<std::int32_t>::max();

// out[k] = the change that exchanging positions p and k makes, for first <= k < last, where no k
// is next to p. changeOfSwap is symmetric in its two positions, so the same loop serves p as the
// first position of the pair (k runs along row p) and as the second (k runs down column p).
KOMIWOJAZER_VECTOR_KERNEL void pairChanges(const PositionWeights& positions, std::uint32_t p,
                                           std::uint32_t first, std::uint32_t last,
                                           std::int32_t* out) {
    const std::uint32_t* intoK = positions.from(p - 1); // the vertex before p into k
    const std::uint32_t* fromK = positions.into(p + 1); // k into the vertex after p
    const std::uint32_t* intoP = positions.into(p);     // the vertex before k into p
    const std::uint32_t* fromP = positions.from(p);     // p into the vertex after k
    const std::uint32_t* edgePairs = positions.getEdgePairs();
    const std::uint32_t edgesAtP = edgePairs[p];
    for (std::size_t k = first; k < last; ++k) {
        out[k] = static_cast<std::int32_t>(
            changeOfSwap(intoK[k], fromK[k], intoP[k - 1], fromP[k + 1], edgesAtP, edgePairs[k]));
    }
}

// The least of values[first..last).
KOMIWOJAZER_VECTOR_KERNEL std::int32_t least(const std::int32_t* values, std::uint32_t first,
                                             std::uint32_t last) {
    std::int32_t result = noChange;
    for (std::size_t k = first; k < last; ++k) {
        result = std::min(result, values[k]);
    }
    return result;
}

// Sets the changes of the tabu pairs of a row to noChange.
KOMIWOJAZER_VECTOR_KERNEL void blockTabu(std::int32_t* changes, const std::uint8_t* tabu,
                                         std::uint32_t first, std::uint32_t last) {
    for (std::size_t k = first; k < last; ++k) {
        changes[k] = tabu[k] != 0 ? noChange : changes[k];
    }
}

// Whether some pair (i, j), first <= i < last, with the changes of column j, may alter its row's
// best: its change is at most the row's least, or it is the row's best pair.
KOMIWOJAZER_VECTOR_KERNEL bool anyRowAffected(const std::int32_t* column,
                                              const std::int32_t* rowChange,
                                              const std::uint32_t* rowPartner, std::uint32_t j,
                                              std::uint32_t first, std::uint32_t last) {
    std::int32_t affected = 0;
    for (std::size_t i = first; i < last; ++i) {
        affected |= static_cast<std::int32_t>(column[i] <= rowChange[i]) |
                    static_cast<std::int32_t>(rowPartner[i] == j);
    }
    return affected != 0;
}

// Rows of pairs are looked at in blocks, most of which hold no pair that alters its row's best.
constexpr std::uint32_t columnBlock = 32;

} // namespace

bool IncrementalNeighbourhood::fits(const WeightMatrix& weights) {
    return weights.lengthBound() < noValue &&
           4 * std::uint64_t{weights.getHeaviest()} < std::uint64_t{noChange};
}

std::uint64_t IncrementalNeighbourhood::bytesFor(std::uint64_t n) {
    // The position tables, then per vertex a row's best change and partner, its stale mark, its
    // place in the stale list and a scratch change.
    const std::uint64_t perVertex =
        sizeof(decltype(rowChange)::value_type) + sizeof(decltype(rowPartner)::value_type) +
        sizeof(decltype(stale)::value_type) + sizeof(decltype(staleRows)::value_type) +
        sizeof(decltype(scratch)::value_type);
    return addBytes(PositionWeights::bytesFor(n), multiplyBytes(n, perVertex));
}

IncrementalNeighbourhood::IncrementalNeighbourhood(const WeightMatrix& weights,
                                                   const TabuMemory& memory)
    : memory(memory), positions(weights), rowChange(weights.getVertexNumber(), noChange),
      rowPartner(weights.getVertexNumber(), 0), stale(weights.getVertexNumber(), 0),
      scratch(weights.getVertexNumber(), 0) {
    staleRows.reserve(weights.getVertexNumber());
}

bool IncrementalNeighbourhood::setRoute(const Route& newRoute, const RunLimits& limits) {
    if (!positions.setRoute(newRoute, limits)) {
        return false;
    }
    for (std::uint32_t i = 1; i + 3 <= positions.getVertexNumber(); ++i) {
        if (limits.cancelled()) {
            return false;
        }
        rateRow(i);
    }
    return true;
}

std::int32_t IncrementalNeighbourhood::changeOf(std::uint32_t i, std::uint32_t j) const {
    return static_cast<std::int32_t>(positions.changeOf(i, j));
}

void IncrementalNeighbourhood::rateRow(std::uint32_t i) {
    std::int32_t* row = scratch.data();
    const std::uint32_t last = positions.getVertexNumber() - 1;
    row[i + 1] = changeOf(i, i + 1);
    pairChanges(positions, i, i + 2, last, row);
    if (memory.rowHasTabu(i)) {
        blockTabu(row, memory.flagRow(i), i + 1, last);
    }
    const std::int32_t best = least(row, i + 1, last);
    rowChange[i] = best;
    // The first j among equal changes; none when every pair of the row is tabu.
    rowPartner[i] =
        best == noChange
            ? 0
            : static_cast<std::uint32_t>(std::find(row + i + 1, row + last, best) - row);
}

void IncrementalNeighbourhood::rateColumn(std::uint32_t j) {
    std::int32_t* column = scratch.data();
    pairChanges(positions, j, 1, j - 1, column);
    column[j - 1] = changeOf(j - 1, j);
    for (std::uint32_t first = 1; first < j; first += columnBlock) {
        const std::uint32_t last = std::min(j, first + columnBlock);
        if (!anyRowAffected(column, rowChange.data(), rowPartner.data(), j, first, last)) {
            continue;
        }
        for (std::uint32_t i = first; i < last; ++i) {
            if ((column[i] > rowChange[i] && rowPartner[i] != j) ||
                (memory.rowHasTabu(i) && memory.isTabu(i, j))) {
                continue;
            }
            offer(i, j, column[i]);
        }
    }
}

// A stale row may take offers too; rating it afresh overwrites them.
void IncrementalNeighbourhood::offer(std::uint32_t i, std::uint32_t j, std::int32_t change) {
    if (change < rowChange[i] || (change == rowChange[i] && j < rowPartner[i])) {
        rowChange[i] = change;
        rowPartner[i] = j;
    } else if (j == rowPartner[i] && change != rowChange[i]) {
        // The row's best got worse; another pair of the row may now be better.
        markStale(i);
    }
}

void IncrementalNeighbourhood::markStale(std::uint32_t i) {
    if (stale[i] == 0) {
        stale[i] = 1;
        staleRows.push_back(i);
    }
}

void IncrementalNeighbourhood::rateStaleRows() {
    for (const std::uint32_t row : staleRows) {
        rateRow(row);
        stale[row] = 0;
    }
    staleRows.clear();
}

SwapChoice IncrementalNeighbourhood::bestAdmissible(bool haveBest, std::uint32_t bestLength) const {
    const std::uint32_t n = positions.getVertexNumber();
    const std::uint32_t length = positions.getLength();
    SwapChoice choice;
    std::int32_t bestChange = noChange;
    // The first of equal row bests is the earliest row, and each row holds its earliest pair.
    const std::int32_t leastRow = least(rowChange.data(), 1, n - 2);
    if (leastRow != noChange) {
        bestChange = leastRow;
        choice.found = true;
        choice.i = static_cast<std::uint32_t>(
            std::find(rowChange.begin() + 1, rowChange.begin() + (n - 2), leastRow) -
            rowChange.begin());
        choice.j = rowPartner[choice.i];
    }
    for (const TabuMemory::Entry& entry : memory.getEntries()) {
        const auto [i, j] = entry.pair;
        const std::int32_t change = changeOf(i, j);
        const bool admissible =
            !haveBest || std::int64_t{length} + change < std::int64_t{bestLength};
        if (admissible &&
            (!choice.found || change < bestChange ||
             (change == bestChange && std::pair(i, j) < std::pair(choice.i, choice.j)))) {
            bestChange = change;
            choice.found = true;
            choice.i = i;
            choice.j = j;
        }
    }
    if (choice.found) {
        choice.length = length + static_cast<std::uint32_t>(bestChange);
    }
    return choice;
}

void IncrementalNeighbourhood::swapPositions(std::uint32_t i, std::uint32_t j,
                                             std::uint32_t newLength) {
    const std::uint32_t n = positions.getVertexNumber();
    positions.swapPositions(i, j, newLength);
    // A pair's change reads the positions next to both of its own, so the pairs to re-rate are
    // those with either position next to i or j: whole rows for the first, single pairs in every
    // other row for the second.
    const std::uint32_t near[]{i - 1, i, i + 1, j - 1, j, j + 1};
    for (const std::uint32_t a : near) {
        if (a >= 1 && a + 3 <= n) {
            markStale(a);
        }
    }
    for (std::size_t k = 0; k < std::size(near); ++k) {
        const std::uint32_t column = near[k];
        if (column >= 2 && column + 2 <= n && std::find(near, near + k, column) == near + k) {
            rateColumn(column);
        }
    }
    rateStaleRows();
}

void IncrementalNeighbourhood::tabuEnded(std::uint32_t i, std::uint32_t j) {
    offer(i, j, changeOf(i, j));
    rateStaleRows();
}

} // namespace komiwojazer
