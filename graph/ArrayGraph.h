#pragma once

#include "graph/Graph.h"

#include <cstdint>
#include <cstdlib>
#include <memory>

namespace komiwojazer {

// Adjacency matrix: one block of n*n cells, reached row by row through a table of row pointers.
class ArrayGraph final : public Graph {
public:
    // REQUIRES: n*n cells fit in memory; use tryCreate when n comes from a user.
    explicit ArrayGraph(std::uint32_t n);
    ArrayGraph(const ArrayGraph&) = delete;
    ArrayGraph& operator=(const ArrayGraph&) = delete;
    ~ArrayGraph() override = default;

    bool addEdge(std::uint32_t i, std::uint32_t j, std::uint32_t weight) override;
    bool removeEdge(std::uint32_t i, std::uint32_t j) override;
    [[nodiscard]] std::uint32_t getWeight(std::uint32_t i, std::uint32_t j) const override {
        return rows[i][j];
    }
    Ending displayGraph(std::ostream& out, const RunLimits& limits = {}) const override;

    // A new graph of n vertices, or null when it would take more than budgetBytes, when no block
    // of this platform holds its cells (see bytesFor) or when its allocation fails; never throws.
    static std::unique_ptr<ArrayGraph> tryCreate(std::uint64_t n, std::uint64_t budgetBytes);
    // The bytes that a graph of n vertices allocates; the largest 64-bit value when its cells pass
    // what one block of this platform can hold (2 GiB on a 32-bit system).
    static std::uint64_t bytesFor(std::uint64_t n);

private:
    using Cell = std::uint32_t; // one weight

    struct FreeCells {
        void operator()(Cell* cells) const { std::free(cells); }
    };

    std::unique_ptr<Cell*[]> rows;            // rows[i] points at the first cell of row i
    std::unique_ptr<Cell[], FreeCells> cells; // n*n weights, row by row
};

} // namespace komiwojazer
