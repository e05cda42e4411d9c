#pragma once

#include "graph/Graph.h"
#include "graph/RunLimits.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace komiwojazer {

// A dense copy of a graph's weights, row by row, so that the solvers' inner loops read plain
// memory instead of calling getWeight through the interface. The diagonal is 0 and is never read
// from the graph: no solver asks for the weight of a vertex to itself.
class WeightMatrix {
public:
    // The copy of graph, or nothing when the run is cancelled while it is made.
    static std::optional<WeightMatrix> copyOf(const Graph& graph, const RunLimits& limits);
    // The bytes that the copy of an n-vertex graph allocates.
    static std::uint64_t bytesFor(std::uint64_t n);

    [[nodiscard]] std::uint32_t getVertexNumber() const { return n; }
    [[nodiscard]] std::uint32_t operator()(std::uint32_t from, std::uint32_t to) const {
        return cells[std::size_t{from} * n + to];
    }
    // The n weights of the edges leaving from.
    [[nodiscard]] const std::uint32_t* row(std::uint32_t from) const {
        return cells.data() + std::size_t{from} * n;
    }
    // The heaviest off-diagonal weight; 0 below two vertices.
    [[nodiscard]] std::uint32_t getHeaviest() const { return heaviest; }

private:
    explicit WeightMatrix(std::uint32_t n) : n(n), cells(std::size_t{n} * n, 0) {}

    std::uint32_t n;                  // vertex count
    std::vector<std::uint32_t> cells; // n*n weights, cells[from * n + to]
    std::uint32_t heaviest = 0;       // see getHeaviest
};

} // namespace komiwojazer
