#include "graph/ArrayGraph.h"

#include <gtest/gtest.h>

namespace komiwojazer {
namespace {

TEST(ArrayGraph, NewGraphHasNoEdges) {
    ArrayGraph graph(3);
    EXPECT_EQ(graph.getWeight(0, 1), 0u);
}

} // namespace
} // namespace komiwojazer
