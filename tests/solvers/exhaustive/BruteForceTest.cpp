#include "solvers/exhaustive/BruteForce.h"

#include "graph/ArrayGraph.h"
#include "reference/PlainBruteForce.h"
#include "tests/solvers/TestGraphs.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace komiwojazer {
namespace {

using fixtures::RawGraph;

// Weights that read as negative or overflow a signed sum rule out every bound; the signed
// comparison, with -1 read as "no route yet", must still pick what the plain search picks.
TEST(BruteForce, AgreesWithThePlainSearch) {
    std::srand(11);
    for (std::uint32_t n = 2; n <= 8; ++n) {
        for (unsigned seed = 1; seed <= 12; ++seed) {
            SCOPED_TRACE(::testing::Message() << "n=" << n << " seed=" << seed);
            const auto graph = fixtures::randomGraph(n, seed % 3 == 0 ? 2 : 300, seed);
            EXPECT_EQ(bruteForce(*graph), plain::plainBruteForce(*graph));
            const RawGraph raw(fixtures::randomRows(n, fixtures::extremeWeights));
            EXPECT_EQ(bruteForce(raw), plain::plainBruteForce(raw));
        }
    }
    // Fewer than two vertices have no route. (0, 1, 2, 0) sums to -1, which reads as "no route
    // yet", so (0, 2, 1, 0) at 5 replaces it.
    EXPECT_TRUE(bruteForce(ArrayGraph(1)).empty());
    EXPECT_EQ(bruteForce(RawGraph({{0, 0xffffffffu, 1}, {2, 0, 0}, {0, 2, 0}})),
              (Route{0, 2, 1, 0}));
}

} // namespace
} // namespace komiwojazer
