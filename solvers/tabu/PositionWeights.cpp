#include "solvers/tabu/PositionWeights.h"

#include "solvers/UnsetArray.h"

#include <algorithm>
#include <utility>

namespace komiwojazer {

PositionWeights::PositionWeights(const WeightMatrix& weights)
    : weights(weights), n(weights.getVertexNumber()),
      byPosition(makeUnsetArray<std::uint32_t>(std::size_t{n} * n)),
      transposed(makeUnsetArray<std::uint32_t>(std::size_t{n} * n)), edgePairs(n, 0) {}

std::uint64_t PositionWeights::bytesFor(std::uint64_t n) {
    return addBytes(addBytes(tableBytes<Weight>(n), tableBytes<Weight>(n)),
                    addBytes(bytesOf<Route::value_type>(n + 1), bytesOf<Weight>(n)));
}

bool PositionWeights::setRoute(const Route& newRoute, const RunLimits& limits) {
    route = newRoute;
    for (std::uint32_t a = 0; a < n; ++a) {
        if (limits.cancelled()) {
            return false;
        }
        for (std::uint32_t b = 0; b < n; ++b) {
            const Weight weight = weights.getWeight(route[a], route[b]);
            byPosition[std::size_t{a} * n + b] = weight;
            transposed[std::size_t{b} * n + a] = weight;
        }
    }
    length = routeLength(weights, route);
    for (std::uint32_t a = 1; a + 1 < n; ++a) {
        refreshEdgePair(a);
    }
    return true;
}

std::uint32_t PositionWeights::changeOf(std::uint32_t i, std::uint32_t j) const {
    const std::uint32_t* edges = edgePairs.data();
    if (j == i + 1) {
        return changeOfAdjacentSwap(from(i - 1)[j], from(j)[i], from(i)[j + 1], edges[i],
                                    from(j)[j + 1]);
    }
    return changeOfSwap(from(i - 1)[j], from(j)[i + 1], from(j - 1)[i], from(i)[j + 1], edges[i],
                        edges[j]);
}

void PositionWeights::refreshEdgePair(std::uint32_t a) {
    edgePairs[a] = from(a - 1)[a] + from(a)[a + 1];
}

void PositionWeights::swapPositions(std::uint32_t i, std::uint32_t j, std::uint32_t newLength) {
    std::swap(route[i], route[j]);
    length = newLength;
    const std::size_t size = n;
    for (Weight* cells : {byPosition.get(), transposed.get()}) {
        std::swap_ranges(cells + i * size, cells + i * size + size, cells + j * size);
    }
    // The columns are a row apart each; fetching a few rows ahead keeps several in flight.
    constexpr std::size_t ahead = 16;
    Weight* rows = byPosition.get();
    Weight* columns = transposed.get();
    for (std::size_t row = 0; row < size; ++row) {
        if (row + ahead < size) {
            const std::size_t next = (row + ahead) * size;
            __builtin_prefetch(rows + next + i, 1);
            __builtin_prefetch(rows + next + j, 1);
            __builtin_prefetch(columns + next + i, 1);
            __builtin_prefetch(columns + next + j, 1);
        }
        std::swap(rows[row * size + i], rows[row * size + j]);
        std::swap(columns[row * size + i], columns[row * size + j]);
    }
    for (const std::uint32_t a : {i - 1, i, i + 1, j - 1, j, j + 1}) {
        if (a >= 1 && a + 1 < n) {
            refreshEdgePair(a);
        }
    }
}

} // namespace komiwojazer
