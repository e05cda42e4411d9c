#include "solvers/WeightMatrix.h"

#include <algorithm>

namespace komiwojazer {

std::optional<WeightMatrix> WeightMatrix::copyOf(const Graph& graph, const RunLimits& limits) {
    WeightMatrix matrix(graph.getVertexNumber());
    const std::uint32_t n = matrix.n;
    for (std::uint32_t from = 0; from < n; ++from) {
        if (limits.cancelled()) {
            return std::nullopt;
        }
        Weight* row = matrix.cells.get() + std::size_t{from} * n;
        for (std::uint32_t to = 0; to < n; ++to) {
            row[to] = to == from ? 0 : graph.getWeight(from, to);
            matrix.heaviest = std::max(matrix.heaviest, row[to]);
        }
    }
    return matrix;
}

} // namespace komiwojazer
