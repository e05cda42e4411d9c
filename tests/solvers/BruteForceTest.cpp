#include "solvers/BruteForce.h"

#include "bench/plain/PlainBruteForce.h"
#include "graph/ArrayGraph.h"
#include "tests/solvers/TestGraphs.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace komiwojazer {
namespace {

using fixtures::isCompleteRoute;
using fixtures::matrixGraph;
using fixtures::RawGraph;
using fixtures::uniformGraph;
using fixtures::WeightRows;

TEST(BruteForce, SmallInstances) {
    EXPECT_TRUE(bruteForce(ArrayGraph(0)).empty());
    EXPECT_TRUE(bruteForce(ArrayGraph(1)).empty());
    EXPECT_EQ(bruteForce(*matrixGraph({{0, 4}, {9, 0}})), (Route{0, 1, 0}));
    EXPECT_EQ(bruteForce(*matrixGraph({{0, 1, 5}, {5, 0, 1}, {1, 5, 0}})), (Route{0, 1, 2, 0}));
    EXPECT_EQ(bruteForce(*uniformGraph(3, 4)), (Route{0, 1, 2, 0}));
}

TEST(BruteForce, FirstShortestInLexicographicOrderWins) {
    EXPECT_EQ(bruteForce(*uniformGraph(4, 2)), (Route{0, 1, 2, 3, 0}));
    // Only the last candidate, (0, 3, 2, 1, 0), uses the light edges.
    EXPECT_EQ(bruteForce(*matrixGraph({{0, 9, 9, 1}, {1, 0, 9, 9}, {9, 1, 0, 9}, {9, 9, 1, 0}})),
              (Route{0, 3, 2, 1, 0}));
    // A symmetric cycle of light edges ties with its reverse: (0, 1, 3, 2, 0) comes first.
    EXPECT_EQ(bruteForce(*matrixGraph({{0, 1, 1, 8}, {1, 0, 8, 1}, {1, 8, 0, 1}, {8, 1, 1, 0}})),
              (Route{0, 1, 3, 2, 0}));
}

TEST(BruteForce, AgreesWithThePlainSearch) {
    for (std::uint32_t n = 2; n <= 8; ++n) {
        for (unsigned seed = 1; seed <= 12; ++seed) {
            ArrayGraph graph(n);
            graph.randomGenerateFullGraph(seed % 3 == 0 ? 2 : 300, seed);
            const Route route = bruteForce(graph);
            EXPECT_TRUE(isCompleteRoute(route, n));
            EXPECT_EQ(route, plain::plainBruteForce(graph)) << "n=" << n << " seed=" << seed;
        }
    }
}

// Weights that read as negative or overflow a signed sum rule out every bound; the signed
// comparison, with -1 read as "no route yet", must still pick what the plain search picks.
TEST(BruteForce, SignedLengthsAgreeWithThePlainSearch) {
    const std::vector<std::uint32_t> values{0,           1,           3,          0x7fffffffu,
                                            0x80000000u, 0xfffffffeu, 0xffffffffu};
    std::srand(11);
    for (std::uint32_t n = 2; n <= 7; ++n) {
        for (int round = 0; round < 12; ++round) {
            const RawGraph graph(fixtures::randomRows(n, values));
            EXPECT_EQ(bruteForce(graph), plain::plainBruteForce(graph))
                << "n=" << n << " round=" << round;
        }
    }
    // (0, 1, 2, 0) sums to -1, which reads as "no route yet", so (0, 2, 1, 0) at 5 replaces it.
    EXPECT_EQ(bruteForce(RawGraph({{0, 0xffffffffu, 1}, {2, 0, 0}, {0, 2, 0}})),
              (Route{0, 2, 1, 0}));
}

} // namespace
} // namespace komiwojazer
