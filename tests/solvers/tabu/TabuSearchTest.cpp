#include "solvers/tabu/TabuSearch.h"

#include "reference/PlainTabuSearch.h"
#include "tests/solvers/TestGraphs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <numeric>
#include <tuple>
#include <vector>

namespace komiwojazer {
namespace {

TabuParameters parameters(int tenure, bool diversification, int criterion) {
    return TabuParameters::of(tenure, diversification, criterion).value();
}

const TabuParameters withoutRestarts(false);

TabuResult runFor(const Graph& graph, std::uint64_t iterations,
                  const TabuParameters& chosen = withoutRestarts, unsigned seed = 1) {
    IterationStop stop(iterations, seed);
    return tabuSearch(graph, chosen, stop).result;
}

// Every vertex once between two equal ends, which after a restart need not be vertex 0.
bool isCompleteRoute(const Route& route, std::uint32_t n) {
    Route all(n);
    std::iota(all.begin(), all.end(), 0u);
    return route.size() == std::size_t{n} + 1 && route.front() == route.back() &&
           std::is_permutation(route.begin(), route.end() - 1, all.begin());
}

// Both neighbourhoods make the same search as the plain one, or, where that would take too long,
// as each other. Up to three vertices no iteration is done.
void expectSameSearches(const Graph& graph, TabuParameters chosen, std::uint64_t iterations,
                        unsigned seed, bool againstPlain = true) {
    const std::uint32_t n = graph.getVertexNumber();
    std::vector<TabuResult> results;
    // Switch sizes that give every search the incremental neighbourhood, then the full scan.
    for (const std::uint32_t incrementalFrom : {0u, std::numeric_limits<std::uint32_t>::max()}) {
        chosen.incrementalFrom = incrementalFrom;
        results.push_back(runFor(graph, iterations, chosen, seed));
    }
    IterationStop stop(iterations, seed);
    const TabuResult expected =
        againstPlain ? plain::plainTabuSearch(graph, chosen, stop) : results.back();
    for (const TabuResult& result : results) {
        EXPECT_EQ(result.bestRoute, expected.bestRoute);
        EXPECT_EQ(result.bestLength, expected.bestLength);
        EXPECT_EQ(result.currentRoute, expected.currentRoute);
        EXPECT_EQ(result.restarts, expected.restarts);
        EXPECT_EQ(result.iterations, n > 3 ? iterations : 0);
    }
    EXPECT_TRUE(n == 0 || isCompleteRoute(expected.bestRoute, n));
}

TEST(TabuSearch, LengthOfAllOnesIsARealLength) {
    // The exchange 0 2 1 3 0 sums to exactly 2^32 - 1; the greedy route 0 1 2 3 0 to 4.
    const fixtures::RawGraph graph(
        {{0, 1, 1, 1}, {1, 0, 1, 1}, {1, 0xFFFFFFFCu, 0, 1}, {1, 1, 1, 0}});
    EXPECT_EQ(runFor(graph, 1).bestRoute, (Route{0, 2, 1, 3, 0}));
    EXPECT_EQ(runFor(graph, 1).bestLength, 0xFFFFFFFFu);
    // Tabu, but strictly shorter than the best.
    EXPECT_EQ(runFor(graph, 2).bestRoute, (Route{0, 1, 2, 3, 0}));
    EXPECT_EQ(runFor(graph, 2).bestLength, 4u);
}

// Both neighbourhoods make the same search as the plain one: at random sizes and parameters, with
// weights whose lengths wrap around 2^32, with zero weights that make many exchanges free, and with
// few distinct weights that make many ties; where the plain search would take too long, as each
// other, at every size up to 310. Tiny instances get their greedy route, whose step 1 may have
// only itself as a candidate and appends vertex 1 all the same.
TEST(TabuSearch, MatchesThePlainSearch) {
    for (const fixtures::WeightRows& rows :
         {fixtures::WeightRows{{0, 5, 3}, {2, 0, 7}, {4, 6, 0}}, {{0, 5}, {2, 0}}, {{0}}, {}}) {
        expectSameSearches(*fixtures::matrixGraph(rows), withoutRestarts, 1, 1);
    }
    // Vertices, largest weight, tenure, diversification, criterion, iterations.
    const std::tuple<std::uint32_t, std::uint32_t, int, bool, int, std::uint64_t> cases[]{
        {12, 400, 40, false, 1000, 300}, {12, 400, 40, true, 1000, 2500},
        {12, 3, 40, true, 20, 300},      {25, 3, 40, true, 20, 150},
        {33, 400, 40, false, 1000, 120}, {47, 400, 40, true, 20, 80},
        {60, 3, 40, true, 20, 60},       {5, 10, 40, true, 3, 200},
        {4, 10, 40, true, 3, 100},       {7, 2, 40, true, 20, 200},
        {9, 400, 3, true, 10, 200},      {10, 400, 1, true, 7, 100},
        {11, 400, 40, true, 1, 30},      {120, 2, 40, false, 1000, 12},
        {300, 3, 40, true, 1, 3},
    };
    unsigned seed = 100;
    for (const auto& [n, maxWeight, tenure, diversification, criterion, iterations] : cases) {
        SCOPED_TRACE(++seed);
        expectSameSearches(*fixtures::randomGraph(n, maxWeight, seed),
                           parameters(tenure, diversification, criterion), iterations, seed);
    }
    const std::vector<std::uint32_t> weightSets[]{
        fixtures::extremeWeights, {0, 1, 2}, {1, 2}, {1, 2, 3}, {0, 0, 5, 9}};
    seed = 0;
    for (const std::uint32_t n :
         {4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 15, 16, 20, 23, 25, 40, 64, 101, 170, 310}) {
        for (const auto& weights : weightSets) {
            SCOPED_TRACE(testing::Message() << "n " << n << ", seed " << ++seed);
            std::srand(seed);
            const fixtures::RawGraph graph(fixtures::randomRows(n, weights));
            expectSameSearches(graph, parameters(40, seed % 2 == 0, 25), 200 + 40000 / n, seed,
                               n <= 25 && weights.size() <= 3);
        }
        expectSameSearches(*fixtures::randomGraph(n, 400, seed), parameters(40, true, 60),
                           200 + 40000 / n, seed, false);
    }
}

// The specified form stops on processor time: with a stop time of 0 it stops at the first
// iteration that sees time pass, which on the worked instance leaves 27 or, from the second, 25.
// A tenure or criterion below 1 is no search.
TEST(TabuSearch, SpecifiedFormStopsOnProcessorTime) {
    const auto graph = fixtures::matrixGraph(fixtures::fiveVertex);
    const Route route = tabuSearch(*graph, 40, false, 1000, 0);
    EXPECT_TRUE(isCompleteRoute(route, 5));
    EXPECT_TRUE(routeLength(*graph, route) == 25 || routeLength(*graph, route) == 27);
    EXPECT_TRUE(tabuSearch(*graph, 0, false, 1000, 0).empty());
    EXPECT_TRUE(tabuSearch(*graph, 40, true, 0, 0).empty());
    EXPECT_FALSE(TabuParameters::of(1, true, -5).has_value());
    EXPECT_EQ(TabuParameters::of(1, true, 1)->getTenure(), 1u);
}

} // namespace
} // namespace komiwojazer
