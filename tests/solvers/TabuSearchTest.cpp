#include "solvers/TabuSearch.h"

#include "TestGraphs.h"
#include "bench/plain/PlainTabuSearch.h"
#include "graph/ArrayGraph.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <memory>
#include <numeric>
#include <string>
#include <vector>

namespace komiwojazer {
namespace {

using fixtures::randomGraph;
using fixtures::RawGraph;
using Matrix = fixtures::WeightRows;

std::unique_ptr<ArrayGraph> graphOf(const Matrix& rows) {
    return fixtures::matrixGraph(rows);
}

const TabuParameters withoutRestarts{40, false, 1000};

TabuOutcome runFor(const Graph& graph, std::uint64_t iterations,
                   const TabuParameters& parameters = withoutRestarts, unsigned seed = 1) {
    return runTabuSearch(graph, parameters, iterationLimit(iterations, seed));
}

// Every vertex once between two equal ends.
bool isCompleteRoute(const Route& route, std::uint32_t n) {
    if (route.size() != std::size_t{n} + 1 || route.front() != route.back()) {
        return false;
    }
    std::vector<std::uint32_t> inner(route.begin(), route.end() - 1);
    std::sort(inner.begin(), inner.end());
    std::vector<std::uint32_t> all(n);
    std::iota(all.begin(), all.end(), 0u);
    return inner == all;
}

void expectSameOutcome(const Graph& graph, const TabuParameters& parameters,
                       std::uint64_t iterations, unsigned seed) {
    const TabuControl control = iterationLimit(iterations, seed);
    const TabuOutcome fast = runTabuSearch(graph, parameters, control);
    const TabuOutcome plain = plain::plainTabuSearch(graph, parameters, control);
    EXPECT_EQ(fast.bestRoute, plain.bestRoute);
    EXPECT_EQ(fast.bestLength, plain.bestLength);
    EXPECT_EQ(fast.currentRoute, plain.currentRoute);
    EXPECT_EQ(fast.iterations, plain.iterations);
    EXPECT_EQ(fast.restarts, plain.restarts);
    EXPECT_EQ(fast.iterations, iterations);
    EXPECT_TRUE(isCompleteRoute(fast.bestRoute, graph.getVertexNumber()));
}

const Matrix fiveVertices{
    {0, 9, 3, 7, 8}, {5, 0, 6, 1, 4}, {2, 8, 0, 9, 5}, {6, 7, 4, 0, 2}, {3, 6, 5, 8, 0}};

TEST(TabuSearch, FiveVertexExampleIterationByIteration) {
    const auto graph = graphOf(fiveVertices);
    struct Step {
        std::uint64_t iteration;
        Route current;
        Route best;
        std::uint32_t bestLength;
    };
    const std::vector<Step> steps{
        // The first neighbour becomes the best although the greedy route (length 25) is shorter.
        {1, {0, 3, 2, 4, 1, 0}, {0, 3, 2, 4, 1, 0}, 27},
        // The tabu pair (1, 2) is taken back: 25 is below the best.
        {2, {0, 2, 3, 4, 1, 0}, {0, 2, 3, 4, 1, 0}, 25},
        // (1, 2) would give 27, not below 25; (2, 3) at 28 wins over (1, 3) at 33.
        {3, {0, 2, 4, 3, 1, 0}, {0, 2, 3, 4, 1, 0}, 25},
        {4, {0, 3, 4, 2, 1, 0}, {0, 2, 3, 4, 1, 0}, 25},
        // Every pair tabu and none below 25: the search stays.
        {5, {0, 3, 4, 2, 1, 0}, {0, 2, 3, 4, 1, 0}, 25},
        // The entry of iteration 1 expires, but iteration 2 named (1, 2) again.
        {42, {0, 3, 4, 2, 1, 0}, {0, 2, 3, 4, 1, 0}, 25},
        // Iteration 2's entry has lived its 40 iterations.
        {43, {0, 4, 3, 2, 1, 0}, {0, 2, 3, 4, 1, 0}, 25},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE("iteration " + std::to_string(step.iteration));
        const TabuOutcome outcome = runFor(*graph, step.iteration);
        EXPECT_EQ(outcome.currentRoute, step.current);
        EXPECT_EQ(outcome.bestRoute, step.best);
        EXPECT_EQ(outcome.bestLength, step.bestLength);
        EXPECT_EQ(outcome.iterations, step.iteration);
    }
}

TEST(TabuSearch, EqualLengthsTakeTheEarliestPairAndGreedyTheLowestVertex) {
    const auto graph = randomGraph(6, 1, 1); // every weight 1
    // The greedy route is 0 1 2 3 4 5 0; every exchange keeps the length 6.
    TabuOutcome outcome = runFor(*graph, 1);
    EXPECT_EQ(outcome.currentRoute, (Route{0, 2, 1, 3, 4, 5, 0}));
    // (1, 2) is tabu and an equal length does not lift it: (1, 3) is next in the scan.
    outcome = runFor(*graph, 2);
    EXPECT_EQ(outcome.currentRoute, (Route{0, 3, 1, 2, 4, 5, 0}));
    // An equal length does not replace the best either.
    EXPECT_EQ(outcome.bestRoute, (Route{0, 2, 1, 3, 4, 5, 0}));
    EXPECT_EQ(outcome.bestLength, 6u);
}

TEST(TabuSearch, FourVerticesHaveOneMove) {
    // The greedy route 0 2 3 1 0 has length 2+1+9+5 = 17; the one exchange, of positions 1 and 2,
    // gives 0 3 2 1 0 of length 9+9+8+5 = 31.
    const auto graph = graphOf({{0, 4, 2, 9}, {5, 0, 6, 1}, {9, 8, 0, 1}, {6, 9, 9, 0}});
    TabuOutcome outcome = runFor(*graph, 1);
    EXPECT_EQ(outcome.currentRoute, (Route{0, 3, 2, 1, 0}));
    EXPECT_EQ(outcome.bestLength, 31u);
    // Tabu, but strictly shorter than the best.
    outcome = runFor(*graph, 2);
    EXPECT_EQ(outcome.currentRoute, (Route{0, 2, 3, 1, 0}));
    EXPECT_EQ(outcome.bestRoute, (Route{0, 2, 3, 1, 0}));
    EXPECT_EQ(outcome.bestLength, 17u);
}

TEST(TabuSearch, TabuMoveReturnsInIterationFortyTwoWhenAspirationFails) {
    const auto graph = randomGraph(4, 1, 1); // both routes have length 4
    const Route greedy{0, 1, 2, 3, 0};
    const Route swapped{0, 2, 1, 3, 0};
    EXPECT_EQ(runFor(*graph, 1).currentRoute, swapped);
    EXPECT_EQ(runFor(*graph, 2).currentRoute, swapped);
    EXPECT_EQ(runFor(*graph, 41).currentRoute, swapped);
    const TabuOutcome outcome = runFor(*graph, 42);
    EXPECT_EQ(outcome.currentRoute, greedy);
    EXPECT_EQ(outcome.bestRoute, swapped);
}

TEST(TabuSearch, RestartsKeepTheBestAndResetTheCounter) {
    const std::uint32_t n = 7;
    const auto graph = randomGraph(n, 1, 1); // nothing ever improves on the first neighbour
    const TabuParameters parameters{40, true, 5};
    const unsigned seed = 11;
    std::srand(seed);
    const auto first = static_cast<std::uint32_t>(std::rand()) % n;
    ASSERT_NE(first, 0u) << "pick a seed whose restart does not start at vertex 0";

    // The stop test comes first: the fifth iteration ends the run before it can restart.
    EXPECT_EQ(runFor(*graph, 5, parameters, seed).restarts, 0u);
    for (const std::uint64_t iterations : {6u, 10u, 11u, 16u}) {
        SCOPED_TRACE(iterations);
        const TabuOutcome outcome = runFor(*graph, iterations, parameters, seed);
        EXPECT_EQ(outcome.restarts, (iterations - 1) / 5);
        EXPECT_EQ(outcome.bestRoute, (Route{0, 2, 1, 3, 4, 5, 6, 0}));
        EXPECT_EQ(outcome.bestLength, n);
        EXPECT_EQ(outcome.currentRoute.front(), first);
        EXPECT_TRUE(isCompleteRoute(outcome.currentRoute, n));
    }
}

TEST(TabuSearch, RestartRouteIsThreeDrawnVerticesThenGreedySteps) {
    const std::uint32_t n = 6;
    const auto graph = randomGraph(n, 1, 1);
    const unsigned seed = 5;
    std::srand(seed);
    std::vector<std::uint32_t> drawn;
    while (drawn.size() < 3) {
        const auto vertex = static_cast<std::uint32_t>(std::rand()) % n;
        if (std::find(drawn.begin(), drawn.end(), vertex) == drawn.end()) {
            drawn.push_back(vertex);
        }
    }
    // With equal weights the greedy steps place the missing vertices in increasing order, except
    // that step k skips vertex k, which a later step then takes.
    Route expected = drawn;
    std::vector<bool> placed(n, false);
    for (const std::uint32_t vertex : drawn) {
        placed[vertex] = true;
    }
    for (std::uint32_t k = 0; k + 4 <= n; ++k) {
        std::uint32_t j = 0;
        while (j < n && (j == k || placed[j])) {
            ++j;
        }
        expected.push_back(j < n ? j : k);
        placed[expected.back()] = true;
    }
    expected.push_back(drawn.front());

    // A criterion of 1 restarts after the first iteration; the second then makes its first move,
    // which with equal lengths is the earliest pair not made tabu by the first phase's (1, 2).
    const TabuOutcome outcome = runFor(*graph, 2, {40, true, 1}, seed);
    ASSERT_EQ(outcome.restarts, 1u);
    std::swap(expected[1], expected[3]);
    EXPECT_EQ(outcome.currentRoute, expected);
}

TEST(TabuSearch, TinyInstancesReturnTheGreedyRouteWithoutSearching) {
    TabuControl control;
    control.stop = [](std::uint64_t) {
        ADD_FAILURE() << "no iteration may run";
        return true;
    };
    // Step 1 has no candidate besides itself, so vertex 1 is appended by the rule for that case.
    const auto three = graphOf({{0, 5, 3}, {2, 0, 7}, {4, 6, 0}});
    TabuOutcome outcome = runTabuSearch(*three, withoutRestarts, control);
    EXPECT_EQ(outcome.bestRoute, (Route{0, 2, 1, 0}));
    EXPECT_EQ(outcome.bestLength, 3u + 6u + 2u);
    EXPECT_EQ(outcome.iterations, 0u);

    const auto two = graphOf({{0, 5}, {2, 0}});
    outcome = runTabuSearch(*two, withoutRestarts, control);
    EXPECT_EQ(outcome.bestRoute, (Route{0, 1, 0}));
    EXPECT_EQ(outcome.bestLength, 7u);

    const ArrayGraph one(1);
    outcome = runTabuSearch(one, withoutRestarts, control);
    EXPECT_EQ(outcome.bestRoute, (Route{0, 0}));
    EXPECT_EQ(outcome.bestLength, 0u);

    const ArrayGraph none(0);
    outcome = runTabuSearch(none, withoutRestarts, control);
    EXPECT_TRUE(outcome.bestRoute.empty());
    EXPECT_EQ(outcome.bestLength, noValue);
}

TEST(TabuSearch, LengthOfAllOnesIsARealLength) {
    // The exchange 0 2 1 3 0 sums to exactly 2^32 - 1; the greedy route 0 1 2 3 0 to 4.
    const RawGraph graph({{0, 1, 1, 1}, {1, 0, 1, 1}, {1, 0xFFFFFFFCu, 0, 1}, {1, 1, 1, 0}});
    TabuOutcome outcome = runFor(graph, 1);
    EXPECT_EQ(outcome.bestRoute, (Route{0, 2, 1, 3, 0}));
    EXPECT_EQ(outcome.bestLength, 0xFFFFFFFFu);
    outcome = runFor(graph, 2);
    EXPECT_EQ(outcome.bestRoute, (Route{0, 1, 2, 3, 0}));
    EXPECT_EQ(outcome.bestLength, 4u);
}

TEST(TabuSearch, MatchesThePlainSearchOnRandomInstances) {
    struct Case {
        std::uint32_t n;
        std::uint32_t maxWeight;
        TabuParameters parameters;
        std::uint64_t iterations;
    };
    const std::vector<Case> cases{
        {12, 400, {40, false, 1000}, 300}, {12, 400, {40, true, 1000}, 2500},
        {12, 3, {40, true, 20}, 300},      {17, 400, {40, true, 20}, 200},
        {25, 3, {40, true, 20}, 150},      {33, 400, {40, false, 1000}, 120},
        {47, 400, {40, true, 20}, 80},     {60, 3, {40, true, 20}, 60},
        {60, 400, {40, true, 1000}, 60},   {5, 10, {40, true, 3}, 200},
        {7, 2, {40, true, 20}, 200},       {9, 400, {3, true, 10}, 200},
        {10, 400, {0, true, 7}, 100},      {8, 400, {-3, true, 15}, 100},
        {11, 400, {40, true, -1}, 30},
    };
    unsigned seed = 100;
    for (const Case& c : cases) {
        ++seed;
        SCOPED_TRACE("n " + std::to_string(c.n) + ", max weight " + std::to_string(c.maxWeight) +
                     ", tenure " + std::to_string(c.parameters.tenure) + ", criterion " +
                     std::to_string(c.parameters.diversificationCriterion));
        const auto graph = randomGraph(c.n, c.maxWeight, seed);
        expectSameOutcome(*graph, c.parameters, c.iterations, seed);
    }
}

TEST(TabuSearch, MatchesThePlainSearchWhenLengthsWrap) {
    for (unsigned seed = 1; seed <= 4; ++seed) {
        SCOPED_TRACE(seed);
        std::srand(seed);
        const std::uint32_t n = 10 + 5 * seed;
        Matrix rows(n, std::vector<std::uint32_t>(n));
        for (auto& row : rows) {
            for (auto& weight : row) {
                weight = static_cast<std::uint32_t>(std::rand()) * 3u;
            }
        }
        expectSameOutcome(RawGraph(rows), {40, true, 20}, 150, seed);
    }
}

TEST(TabuSearch, ProcessTimeLimitOfZeroStillRunsAnIteration) {
    const auto graph = randomGraph(8, 100, 4);
    const Route route = tabuSearch(*graph, 40, true, 1000, 0);
    EXPECT_TRUE(isCompleteRoute(route, 8));
    // The best so far never grows, so it cannot exceed the first iteration's.
    EXPECT_LE(routeLength(*graph, route), runFor(*graph, 1).bestLength);
}

TEST(TabuSearch, CancelEndsTheSearchAfterTheCurrentIteration) {
    const auto graph = randomGraph(8, 100, 4);
    const std::atomic<bool> cancel{true};
    const TabuOutcome outcome =
        runTabuSearch(*graph, withoutRestarts, processTimeLimit(1000, &cancel));
    EXPECT_EQ(outcome.iterations, 1u);
    EXPECT_TRUE(isCompleteRoute(outcome.bestRoute, 8));
}

} // namespace
} // namespace komiwojazer
