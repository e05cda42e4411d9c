#pragma once

#include "graph/Graph.h"
#include "solvers/UnsetArray.h"
#include "step/RunLimits.h"

#include <cstdint>
#include <memory>
#include <optional>

namespace komiwojazer {

// A dense copy of a graph's weights, row by row, so that the solvers' inner loops read plain
// memory instead of calling getWeight through the interface. The diagonal is 0 and is never read
// from the graph: no solver asks for the weight of a vertex to itself.
class WeightMatrix {
public:
    using Weight = std::uint32_t;

    // The copy of graph, or nothing when the run is cancelled while it is made.
    static std::optional<WeightMatrix> copyOf(const Graph& graph, const RunLimits& limits);
    // The bytes that the copy of an n-vertex graph allocates.
    static std::uint64_t bytesFor(std::uint64_t n) { return tableBytes<Weight>(n); }

    [[nodiscard]] std::uint32_t getVertexNumber() const { return n; }
    [[nodiscard]] Weight getWeight(std::uint32_t from, std::uint32_t to) const {
        return cells[std::size_t{from} * n + to];
    }
    // The n weights of the edges leaving from.
    [[nodiscard]] const Weight* row(std::uint32_t from) const {
        return cells.get() + std::size_t{from} * n;
    }
    // The heaviest off-diagonal weight; 0 below two vertices.
    [[nodiscard]] Weight getHeaviest() const { return heaviest; }
    // n times the heaviest weight, exact in 64 bits: no route and no other sum of n weights is
    // longer, so whether such sums fit a type (or reach the all-ones value) is decided from it.
    [[nodiscard]] std::uint64_t lengthBound() const { return std::uint64_t{n} * heaviest; }

private:
    // The cells are left unset: the copy writes each one, row by row, between its looks at the
    // cancel flag, so that no long step of setting memory goes unchecked.
    explicit WeightMatrix(std::uint32_t n)
        : n(n), cells(makeUnsetArray<Weight>(std::size_t{n} * n)) {}

    std::uint32_t n;                 // vertex count
    std::unique_ptr<Weight[]> cells; // n*n weights, cells[from * n + to]
    Weight heaviest = 0;             // see getHeaviest
};

} // namespace komiwojazer
