#include "solvers/IncrementalNeighbourhood.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace komiwojazer {
namespace {

// The change of a row none of whose pairs may be taken; above every real change, which fits
// guarantees to be at most four weights below it.
constexpr std::int32_t noChange = std::numeric_limits<std::int32_t>::max();

// Side of the square blocks in which the weights are transposed, so that both the rows read and
// the rows written stay in cache.
constexpr std::uint32_t transposeBlock = 64;

} // namespace

bool IncrementalNeighbourhood::fits(const WeightMatrix& weights) {
    const std::uint64_t heaviest = weights.getHeaviest();
    return std::uint64_t{weights.getVertexNumber()} * heaviest <
               std::numeric_limits<std::uint32_t>::max() &&
           4 * heaviest < std::uint64_t{noChange};
}

std::uint64_t IncrementalNeighbourhood::bytesFor(std::uint64_t n) {
    // The transposed weights, then the route, edgePairs, the row bests and the stale rows, at most
    // 24 bytes per vertex.
    return addBytes(tableBytes(n, sizeof(std::uint32_t)), multiplyBytes(n, 24));
}

IncrementalNeighbourhood::IncrementalNeighbourhood(const WeightMatrix& weights,
                                                   const TabuMemory& memory)
    : weights(weights), memory(memory), n(weights.getVertexNumber()),
      transposed(std::size_t{n} * n), edgePairs(n, 0), rowChange(n, noChange), rowPartner(n, 0),
      stale(n, 0) {
    staleRows.reserve(n);
}

std::optional<IncrementalNeighbourhood>
IncrementalNeighbourhood::create(const WeightMatrix& weights, const TabuMemory& memory,
                                 const RunLimits& limits) {
    IncrementalNeighbourhood neighbourhood(weights, memory);
    const std::uint32_t n = neighbourhood.n;
    for (std::uint32_t top = 0; top < n; top += transposeBlock) {
        if (limits.cancelled()) {
            return std::nullopt;
        }
        const std::uint32_t bottom = std::min(n, top + transposeBlock);
        for (std::uint32_t left = 0; left < n; left += transposeBlock) {
            const std::uint32_t right = std::min(n, left + transposeBlock);
            for (std::uint32_t from = top; from < bottom; ++from) {
                for (std::uint32_t to = left; to < right; ++to) {
                    neighbourhood.transposed[std::size_t{to} * n + from] = weights(from, to);
                }
            }
        }
    }
    return neighbourhood;
}

bool IncrementalNeighbourhood::setRoute(const Route& newRoute, const RunLimits& limits) {
    route = newRoute;
    length = 0;
    for (std::uint32_t p = 0; p < n; ++p) {
        length += weights(route[p], route[p + 1]);
    }
    for (std::uint32_t a = 1; a + 1 < n; ++a) {
        refreshEdgePair(a);
    }
    for (std::uint32_t i = 1; i + 3 <= n; ++i) {
        if (limits.cancelled()) {
            return false;
        }
        rateRow(i);
    }
    return true;
}

void IncrementalNeighbourhood::refreshEdgePair(std::uint32_t a) {
    edgePairs[a] = weights(route[a - 1], route[a]) + weights(route[a], route[a + 1]);
}

std::int32_t IncrementalNeighbourhood::change(std::uint32_t i, std::uint32_t j) const {
    const std::uint32_t* r = route.data();
    // Exchanging i and i+1 reverses the edge between them instead of replacing two edges.
    if (j == i + 1) {
        const std::uint32_t added =
            weights(r[i - 1], r[j]) + weights(r[j], r[i]) + weights(r[i], r[j + 1]);
        return static_cast<std::int32_t>(added - edgePairs[i] - weights(r[j], r[j + 1]));
    }
    const std::uint32_t added = weights(r[i - 1], r[j]) + weights(r[j], r[i + 1]) +
                                weights(r[j - 1], r[i]) + weights(r[i], r[j + 1]);
    return static_cast<std::int32_t>(added - edgePairs[i] - edgePairs[j]);
}

void IncrementalNeighbourhood::rateRow(std::uint32_t i) {
    const std::uint32_t* r = route.data();
    const std::uint32_t* fromBefore = weights.row(r[i - 1]);
    const std::uint32_t* intoAfter = into(r[i + 1]);
    const std::uint32_t* intoOwn = into(r[i]);
    const std::uint32_t* fromOwn = weights.row(r[i]);
    const std::uint32_t own = edgePairs[i];
    const std::uint8_t* tabu = memory.flagRow(i);
    const bool anyTabu = memory.rowHasTabu(i);
    std::int32_t best = noChange;
    std::uint32_t partner = 0;
    if (!anyTabu || tabu[i + 1] == 0) {
        best = change(i, i + 1);
        partner = i + 1;
    }
    // Strict improvement keeps the first j among equal changes.
    for (std::uint32_t j = i + 2; j + 2 <= n; ++j) {
        const auto delta =
            static_cast<std::int32_t>(fromBefore[r[j]] + intoAfter[r[j]] + intoOwn[r[j - 1]] +
                                      fromOwn[r[j + 1]] - own - edgePairs[j]);
        if (delta < best && (!anyTabu || tabu[j] == 0)) {
            best = delta;
            partner = j;
        }
    }
    rowChange[i] = best;
    rowPartner[i] = partner;
}

void IncrementalNeighbourhood::rateColumn(std::uint32_t j) {
    const std::uint32_t* r = route.data();
    const std::uint32_t* intoOwn = into(r[j]);
    const std::uint32_t* fromOwn = weights.row(r[j]);
    const std::uint32_t* fromBefore = weights.row(r[j - 1]);
    const std::uint32_t* intoAfter = into(r[j + 1]);
    const std::uint32_t own = edgePairs[j];
    for (std::uint32_t i = 1; i + 2 <= j; ++i) {
        if (stale[i] != 0 || (memory.rowHasTabu(i) && memory.isTabu(i, j))) {
            continue;
        }
        const auto delta =
            static_cast<std::int32_t>(intoOwn[r[i - 1]] + fromOwn[r[i + 1]] + fromBefore[r[i]] +
                                      intoAfter[r[i]] - edgePairs[i] - own);
        offer(i, j, delta);
    }
    const std::uint32_t i = j - 1;
    if (i >= 1 && stale[i] == 0 && !memory.isTabu(i, j)) {
        offer(i, j, change(i, j));
    }
}

void IncrementalNeighbourhood::offer(std::uint32_t i, std::uint32_t j, std::int32_t delta) {
    if (delta < rowChange[i] || (delta == rowChange[i] && j < rowPartner[i])) {
        rowChange[i] = delta;
        rowPartner[i] = j;
    } else if (j == rowPartner[i] && delta != rowChange[i]) {
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

SwapChoice IncrementalNeighbourhood::bestAdmissible(bool haveBest, std::uint32_t bestLength) const {
    SwapChoice choice;
    std::int32_t bestChange = noChange;
    // The first of equal row bests is the earliest row, and each row holds its earliest pair.
    const auto first = rowChange.begin() + 1;
    const auto least = std::min_element(first, rowChange.begin() + (n - 2));
    if (*least != noChange) {
        bestChange = *least;
        choice.found = true;
        choice.i = static_cast<std::uint32_t>(least - rowChange.begin());
        choice.j = rowPartner[choice.i];
    }
    for (const TabuMemory::Entry& entry : memory.getEntries()) {
        const auto [i, j] = entry.pair;
        const std::int32_t delta = change(i, j);
        const bool admissible =
            !haveBest || std::int64_t{length} + delta < std::int64_t{bestLength};
        if (admissible &&
            (!choice.found || delta < bestChange ||
             (delta == bestChange && std::pair(i, j) < std::pair(choice.i, choice.j)))) {
            bestChange = delta;
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
    std::swap(route[i], route[j]);
    length = newLength;
    // A pair's change reads the positions next to both of its own, so the pairs to re-rate are
    // those with either position next to i or j.
    const std::uint32_t near[]{i - 1, i, i + 1, j - 1, j, j + 1};
    for (const std::uint32_t a : near) {
        if (a >= 1 && a + 2 <= n) {
            refreshEdgePair(a);
        }
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
    offer(i, j, change(i, j));
    rateStaleRows();
}

void IncrementalNeighbourhood::rateStaleRows() {
    for (const std::uint32_t row : staleRows) {
        rateRow(row);
        stale[row] = 0;
    }
    staleRows.clear();
}

} // namespace komiwojazer
