#include "solvers/BruteForce.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <vector>

namespace komiwojazer {
namespace {

// Depth-first walk over the orders of 1..n-1 that visits them in lexicographic order, carrying
// the length of each prefix instead of rebuilding every candidate from scratch.
class ExhaustiveSearch {
public:
    explicit ExhaustiveSearch(const Graph& graph)
        : n(graph.getVertexNumber()), weights(std::size_t{n} * n), rowMinimum(n, 0), order(n, 0),
          bestOrder(n, 0), used(n, 0) {
        std::uint32_t heaviest = 0;
        for (std::uint32_t i = 0; i < n; ++i) {
            std::uint32_t lightest = std::numeric_limits<std::uint32_t>::max();
            for (std::uint32_t j = 0; j < n; ++j) {
                const std::uint32_t w = i == j ? 0 : graph.getWeight(i, j);
                weights[std::size_t{i} * n + j] = w;
                if (i != j) {
                    lightest = std::min(lightest, w);
                    heaviest = std::max(heaviest, w);
                }
            }
            rowMinimum[i] = lightest;
        }
        // Lengths are compared as signed 32-bit sums, so a bound only holds when no weight is
        // negative in that reading and no route can overflow it.
        const auto int32Max = static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max());
        pruning = heaviest <= int32Max && std::uint64_t{heaviest} * n <= int32Max;
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
    [[nodiscard]] std::uint32_t weight(std::uint32_t i, std::uint32_t j) const {
        return weights[std::size_t{i} * n + j];
    }

    // order[0..depth-1] is placed and costs prefix (wrapping, as the route's signed sum does).
    void extend(std::uint32_t depth, std::uint32_t prefix) {
        const std::uint32_t last = order[depth - 1];
        if (depth == n) {
            const auto length = static_cast<std::int32_t>(prefix + weight(last, 0));
            // -1 reads as "no route yet", exactly as the lengths of the path records compare.
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
            const std::uint32_t cost = prefix + weight(last, v);
            // Every vertex from v on still has its outgoing edge to come, at least its row
            // minimum; a completion that cannot be strictly shorter never replaces the best.
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
    std::vector<std::uint32_t> weights;    // dense copy of the graph, row by row
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
    return ExhaustiveSearch(graph).run();
}

} // namespace komiwojazer
