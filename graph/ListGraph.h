#pragma once

#include "graph/Graph.h"

#include <memory>

namespace komiwojazer {

// One edge of a ListGraph.
struct ListNode {
    std::uint32_t vertex = 0; // target vertex
    std::uint32_t weight = 0; // 0..999 as stored by addEdge
    ListNode* next = nullptr; // following edge leaving the same vertex
};

// Adjacency lists: for every vertex, its leaving edges in the order they were added.
class ListGraph final : public Graph {
public:
    explicit ListGraph(std::uint32_t n);
    ListGraph(const ListGraph&) = delete;
    ListGraph& operator=(const ListGraph&) = delete;
    ~ListGraph() override;

    bool addEdge(std::uint32_t i, std::uint32_t j, std::uint32_t weight) override;
    bool removeEdge(std::uint32_t i, std::uint32_t j) override;
    [[nodiscard]] std::uint32_t getWeight(std::uint32_t i, std::uint32_t j) const override;
    Ending displayGraph(std::ostream& out, const RunLimits& limits = {}) const override;

private:
    std::unique_ptr<ListNode*[]> heads; // heads[i]: first edge leaving i, owned by the graph
};

} // namespace komiwojazer
