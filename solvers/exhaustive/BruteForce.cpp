#include "solvers/exhaustive/BruteForce.h"

#include "solvers/WeightMatrix.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>
#include <vector>

namespace komiwojazer {
namespace {

// Depth-first walk over the orders of 1..n-1 in lexicographic order, carrying the length of each
// prefix instead of rebuilding every candidate from scratch. It prunes: a prefix is not extended
// when even the lightest way to finish it (each vertex still to leave, left over its lightest
// edge) is no shorter than the best route so far. Trying every route would give the same result,
// because a later route replaces the best only when it is strictly shorter, and no completion of
// a pruned prefix can be; the routes it skips could only lose. The bound holds only while lengths
// compare as true sums, so pruning is off when a signed 32-bit sum could wrap or a weight reads
// as negative.
class ExhaustiveSearch {
public:
    explicit ExhaustiveSearch(const WeightMatrix& weights)
        : n(weights.getVertexNumber()), weights(weights), rowMinimum(n, 0), order(n, 0),
          bestOrder(n, 0), used(n, 0) {
        for (std::uint32_t i = 0; i < n; ++i) {
            const std::uint32_t* row = weights.row(i);
            rowMinimum[i] = std::numeric_limits<std::uint32_t>::max();
            for (std::uint32_t j = 0; j < n; ++j) {
                if (i != j) {
                    rowMinimum[i] = std::min(rowMinimum[i], row[j]);
                }
            }
        }
        // No weight reads as negative and no sum of n weights passes the signed range.
        pruning = weights.lengthBound() <=
                  static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max());
        for (std::uint32_t v = 1; v < n; ++v) {
            pendingMinimum += rowMinimum[v];
        }
    }

    Route run() {
        order[0] = 0;
        used[0] = 1;
        extend(1, 0);
        Route route(bestOrder.begin(), bestOrder.end());
        route.push_back(0);
        return route;
    }

private:
    // order[0..depth-1] is placed and costs prefix (wrapping, as the route's signed sum does).
    void extend(std::uint32_t depth, std::uint32_t prefix) {
        const std::uint32_t last = order[depth - 1];
        if (depth == n) {
            const auto length = static_cast<std::int32_t>(prefix + weights.getWeight(last, 0));
            // -1 reads as "no route yet"; lengths compare as signed sums.
            if (bestLength == -1 || length < bestLength) {
                bestLength = length;
                bestOrder = order;
            }
            return;
        }
        for (std::uint32_t v = 1; v < n; ++v) {
            if (used[v] != 0) {
                continue;
            }
            const std::uint32_t cost = prefix + weights.getWeight(last, v);
            // v and every vertex after it still leave over at least their lightest edges.
            if (pruning && bestLength != -1 &&
                std::int64_t{cost} + pendingMinimum >= std::int64_t{bestLength}) {
                continue;
            }
            used[v] = 1;
            order[depth] = v;
            pendingMinimum -= rowMinimum[v];
            extend(depth + 1, cost);
            pendingMinimum += rowMinimum[v];
            used[v] = 0;
        }
    }

    std::uint32_t n;                       // vertex count, at least 2
    const WeightMatrix& weights;           // the graph's weights
    std::vector<std::uint32_t> rowMinimum; // lightest edge leaving each vertex
    std::vector<std::uint32_t> order;      // the route being built, from vertex 0
    std::vector<std::uint32_t> bestOrder;  // the first shortest route so far, without the return
    std::vector<std::uint8_t> used;        // 1 for the vertices placed in order
    std::int64_t pendingMinimum = 0;       // row minima of the vertices not yet placed
    std::int32_t bestLength = -1;          // signed length of bestOrder; -1 while there is none
    bool pruning = false;                  // whether lower bounds are sound for signed lengths
};

} // namespace

Route bruteForce(const Graph& graph) {
    if (graph.getVertexNumber() < 2) {
        return {};
    }
    const std::optional<WeightMatrix> weights = WeightMatrix::copyOf(graph, {});
    return ExhaustiveSearch(*weights).run();
}

} // namespace komiwojazer
