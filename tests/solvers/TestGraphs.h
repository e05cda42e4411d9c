#pragma once

#include "graph/ArrayGraph.h"
#include "graph/Graph.h"

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
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
    Ending displayGraph(std::ostream&, const RunLimits& = {}) const override {
        return Ending::Finished;
    }

private:
    WeightRows rows; // rows[i][j]: weight of edge (i, j)
};

// The worked instances, each checked by hand: branch and bound's, whose optimum is 0 1 2 3 0 of
// length 8, and the tabu search's, whose best without restarts is 25.
inline const WeightRows fourVertex{{0, 3, 5, 9}, {4, 0, 2, 7}, {6, 8, 0, 1}, {2, 5, 4, 0}};
inline const WeightRows fiveVertex{
    {0, 9, 3, 7, 8}, {5, 0, 6, 1, 4}, {2, 8, 0, 9, 5}, {6, 7, 4, 0, 2}, {3, 6, 5, 8, 0}};

inline std::string matrixFile(const WeightRows& rows) {
    std::string file = "NAME: t\nTYPE: ATSP\nDIMENSION: " + std::to_string(rows.size()) +
                       "\nEDGE_WEIGHT_TYPE: EXPLICIT\nEDGE_WEIGHT_FORMAT: FULL_MATRIX\n"
                       "EDGE_WEIGHT_SECTION\n";
    for (const auto& row : rows) {
        for (const std::uint32_t weight : row) {
            file += std::to_string(weight) + ' ';
        }
        file += '\n';
    }
    return file + "EOF\n";
}

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

inline std::unique_ptr<ArrayGraph> randomGraph(std::uint32_t n, std::uint32_t maxWeight,
                                               unsigned seed) {
    auto graph = std::make_unique<ArrayGraph>(n);
    graph->randomGenerateFullGraph(maxWeight, seed);
    return graph;
}

// Weights that wrap unsigned sums around and read as negative or overflowing signed ones.
inline const std::vector<std::uint32_t> extremeWeights{
    0, 1, 2, 0x7fffffffu, 0x80000000u, 0xfffffffeu, 0xffffffffu};

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

} // namespace komiwojazer::fixtures
