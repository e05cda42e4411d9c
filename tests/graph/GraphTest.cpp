#include "graph/ArrayGraph.h"
#include "graph/ListGraph.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <limits>
#include <set>
#include <sstream>

namespace komiwojazer {
namespace {

// What a graph displays; every row must be flushed as it is done, so that a long display shows
// row by row.
std::string displayed(const Graph& graph) {
    struct Counting : std::stringbuf {
        int flushes = 0;
        int sync() override {
            ++flushes;
            return std::stringbuf::sync();
        }
    } text;
    std::ostream out(&text);
    graph.displayGraph(out);
    EXPECT_EQ(text.flushes, static_cast<int>(graph.getVertexNumber()));
    return text.str();
}

// Both representations must honour the same contract.
template <class G> class GraphContract : public ::testing::Test {};
using GraphTypes = ::testing::Types<ArrayGraph, ListGraph>;
TYPED_TEST_SUITE(GraphContract, GraphTypes);

TYPED_TEST(GraphContract, AddEdgeCapsHeavyWeightsAndNeverOverwrites) {
    TypeParam graph(4);
    EXPECT_TRUE(graph.addEdge(0, 1, 999));
    EXPECT_TRUE(graph.addEdge(0, 2, 1000));
    EXPECT_TRUE(graph.addEdge(0, 3, std::numeric_limits<std::uint32_t>::max()));
    EXPECT_FALSE(graph.addEdge(0, 1, 7));
    EXPECT_EQ(graph.getWeight(0, 1), 999u);
    EXPECT_EQ(graph.getWeight(0, 2), 900u);
    EXPECT_EQ(graph.getWeight(0, 3), 900u);
    EXPECT_EQ(graph.getWeight(1, 0), 0u);

    EXPECT_TRUE(graph.removeEdge(0, 1));
    EXPECT_FALSE(graph.removeEdge(0, 1));
    EXPECT_EQ(graph.getWeight(0, 1), 0u);
    EXPECT_TRUE(graph.addEdge(0, 1, 8));
    EXPECT_EQ(graph.getWeight(0, 1), 8u);
}

// The fill draws the same numbers into either representation and never overwrites an edge.
TYPED_TEST(GraphContract, RandomFillIsSeededAndKeepsPresentEdges) {
    TypeParam graph(9);
    ArrayGraph reference(9);
    graph.addEdge(1, 2, 777);
    graph.randomGenerateFullGraph(400, 5);
    reference.randomGenerateFullGraph(400, 5);
    std::set<std::uint32_t> drawn;
    for (std::uint32_t k = 0; k < 81; ++k) {
        const std::uint32_t i = k / 9, j = k % 9, weight = graph.getWeight(i, j);
        EXPECT_EQ(weight, i == 1 && j == 2 ? 777u : reference.getWeight(i, j));
        EXPECT_TRUE(i == j ? weight == 0 : weight >= 1 && (weight <= 400 || weight == 777));
        drawn.insert(weight);
    }
    EXPECT_GT(drawn.size(), 20u);
    TypeParam empty(0);
    empty.randomGenerateFullGraph(400, 1);
    EXPECT_EQ(displayed(empty), "");
}

TEST(ArrayGraph, ZeroWeightLeavesTheCellFreeAndDisplayEndsCellsWithTabs) {
    ArrayGraph graph(2);
    EXPECT_TRUE(graph.addEdge(0, 1, 0));
    EXPECT_FALSE(graph.removeEdge(0, 1));
    EXPECT_TRUE(graph.addEdge(0, 1, 4));
    graph.addEdge(1, 0, 6);
    EXPECT_EQ(displayed(graph), "0\t4\t\n6\t0\t\n");
}

// Sizes saturate instead of wrapping, and no graph's cells pass what one block of the platform
// holds, ptrdiff_t's range. On a 32-bit system that makes 23,170 cities the most, however much
// memory a 64-bit kernel reports free; from 65,536 on the cell count would wrap around size_t to
// almost nothing, and a graph that seemed to fit would write past its block.
TEST(ArrayGraph, SizeOfAHugeCountDoesNotWrap) {
    constexpr std::uint64_t saturated = std::numeric_limits<std::uint64_t>::max();
    const std::uint64_t most = sizeof(std::ptrdiff_t) == 4 ? 23'170 : 1'518'500'249;
    EXPECT_EQ(ArrayGraph::bytesFor(most), most * most * 4 + most * sizeof(void*));
    EXPECT_EQ(ArrayGraph::bytesFor(most + 1), saturated);
    EXPECT_EQ(ArrayGraph::bytesFor(std::uint64_t{1} << 32), saturated);
    const unsigned halfOfSize = std::numeric_limits<std::size_t>::digits / 2;
    EXPECT_EQ(ArrayGraph::tryCreate(std::uint64_t{1} << halfOfSize, saturated), nullptr);
    // Three cities: 36 bytes of cells and three row pointers.
    const std::uint64_t three = sizeof(void*) == 8 ? 60 : 48;
    EXPECT_EQ(ArrayGraph::tryCreate(3, three - 1), nullptr);
    EXPECT_EQ(ArrayGraph::tryCreate(3, three)->getVertexNumber(), 3u);
}

// Unlike a matrix cell, a zero weight makes a list node, which blocks later adds to the pair.
TEST(ListGraph, ListsKeepInsertionOrderAcrossRemovalsAndZeroWeights) {
    ListGraph graph(5);
    EXPECT_TRUE(graph.addEdge(1, 2, 0));
    EXPECT_FALSE(graph.addEdge(1, 2, 5));
    EXPECT_TRUE(graph.removeEdge(1, 2));
    for (const std::uint32_t target : {3u, 1u, 2u, 4u}) {
        graph.addEdge(0, target, target * 10);
    }
    graph.addEdge(2, 0, 7);
    EXPECT_EQ(displayed(graph), "0 -> 3@30 1@10 2@20 4@40 \n1 -> \n2 -> 0@7 \n3 -> \n4 -> \n");
    EXPECT_TRUE(graph.removeEdge(0, 1)); // middle
    EXPECT_EQ(displayed(graph).substr(0, 22), "0 -> 3@30 2@20 4@40 \n1");
    EXPECT_TRUE(graph.removeEdge(0, 3)); // head
    EXPECT_TRUE(graph.removeEdge(0, 4)); // tail
    EXPECT_TRUE(graph.removeEdge(2, 0)); // only node
    EXPECT_TRUE(graph.addEdge(0, 4, 41));
    EXPECT_EQ(displayed(graph), "0 -> 2@20 4@41 \n1 -> \n2 -> \n3 -> \n4 -> \n");
}

} // namespace
} // namespace komiwojazer
