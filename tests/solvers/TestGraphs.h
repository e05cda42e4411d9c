#pragma once

#include "graph/ArrayGraph.h"
#include "graph/Graph.h"

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <ostream>
#include <utility>
#include <vector>

namespace komiwojazer::fixtures {

using WeightRows = std::vector<std::vector<std::uint32_t>>;

// Returns its weights exactly as given, values of 1000 and more included, which the real graph
// classes would cap; it reaches the wrapping sums and the signed readings of the solvers.
class RawGraph final : public Graph {
public:
    explicit RawGraph(WeightRows weightRows) : rows(std::move(weightRows)) {
        vertexNumber = static_cast<std::uint32_t>(rows.size());
    }

    bool addEdge(std::uint32_t, std::uint32_t, std::uint32_t) override { return false; }
    bool removeEdge(std::uint32_t, std::uint32_t) override { return false; }
    [[nodiscard]] std::uint32_t getWeight(std::uint32_t i, std::uint32_t j) const override {
        return rows[i][j];
    }
    void displayGraph(std::ostream&) const override {}

private:
    WeightRows rows; // rows[i][j]: weight of edge (i, j)
};

// An ArrayGraph with the off-diagonal weights of rows.
inline std::unique_ptr<ArrayGraph> matrixGraph(const WeightRows& rows) {
    auto graph = std::make_unique<ArrayGraph>(static_cast<std::uint32_t>(rows.size()));
    for (std::uint32_t i = 0; i < rows.size(); ++i) {
        for (std::uint32_t j = 0; j < rows.size(); ++j) {
            if (i != j) {
                graph->addEdge(i, j, rows[i][j]);
            }
        }
    }
    return graph;
}

// Every off-diagonal weight equal to weight.
inline std::unique_ptr<ArrayGraph> uniformGraph(std::uint32_t n, std::uint32_t weight) {
    return matrixGraph(WeightRows(n, std::vector<std::uint32_t>(n, weight)));
}

// An ArrayGraph filled by the program's random fill with a fixed seed.
inline std::unique_ptr<ArrayGraph> randomGraph(std::uint32_t n, std::uint32_t maxWeight,
                                               unsigned seed) {
    auto graph = std::make_unique<ArrayGraph>(n);
    graph->randomGenerateFullGraph(maxWeight, seed);
    return graph;
}

// n x n weights drawn, with the seeded process-wide generator, from the given values.
inline WeightRows randomRows(std::uint32_t n, const std::vector<std::uint32_t>& values) {
    WeightRows rows(n, std::vector<std::uint32_t>(n, 0));
    for (auto& row : rows) {
        for (auto& weight : row) {
            weight = values[static_cast<std::size_t>(std::rand()) % values.size()];
        }
    }
    return rows;
}

// True when route starts and ends at 0 and visits each of the n vertices once in between.
inline bool isCompleteRoute(const std::vector<std::uint32_t>& route, std::uint32_t n) {
    if (route.size() != std::size_t{n} + 1 || route.front() != 0 || route.back() != 0) {
        return false;
    }
    std::vector<bool> seen(n, false);
    for (std::size_t t = 0; t + 1 < route.size(); ++t) {
        if (route[t] >= n || seen[route[t]]) {
            return false;
        }
        seen[route[t]] = true;
    }
    return true;
}

} // namespace komiwojazer::fixtures
