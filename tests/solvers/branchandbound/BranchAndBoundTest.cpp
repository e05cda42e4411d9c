#include "solvers/branchandbound/BranchAndBound.h"

#include "graph/ListGraph.h"
#include "reference/PlainBranchAndBound.h"
#include "solvers/exhaustive/BruteForce.h"
#include "solvers/tabu/TabuSearch.h"
#include "tests/solvers/TestGraphs.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <tuple>
#include <vector>

namespace komiwojazer {
namespace {

using Result = BranchAndBoundResult;

void expectSameSearch(const Outcome<Result>& outcome, const Result& expected,
                      Ending ending = Ending::Finished) {
    EXPECT_EQ(outcome.ending, ending);
    const Result& actual = outcome.result;
    EXPECT_EQ(actual.route, expected.route);
    EXPECT_EQ(actual.expansions, expected.expansions);
    EXPECT_EQ(actual.pushed, expected.pushed);
    EXPECT_EQ(actual.maxQueue, expected.maxQueue);
}

// The same pops, pushes and route as the plain search, and the optimum that brute force finds, in
// the compact layout and in the wide one that more than 2^16 or wrapping sums need.
TEST(BranchAndBound, SearchesLikeThePlainOne) {
    std::srand(7);
    for (std::uint32_t n = 2; n <= 13; ++n) {
        for (unsigned seed = 1; seed <= 10; ++seed) {
            SCOPED_TRACE(::testing::Message() << "n=" << n << " seed=" << seed);
            const auto graph = fixtures::randomGraph(n, seed % 2 == 0 ? 3 : 999, seed);
            const auto outcome = branchAndBound(*graph, {});
            expectSameSearch(outcome, plain::plainBranchAndBound(*graph));
            if (n <= 9) {
                EXPECT_EQ(routeLength(*graph, outcome.result.route),
                          routeLength(*graph, bruteForce(*graph)));
            }
            if (n > 8) {
                continue;
            }
            // Raw weights: sums that wrap around 2^32, and sums of n weights just below and just
            // past 2^16, the most that 16-bit keys hold and the least they cannot.
            const std::uint32_t top = 0xffff / n;
            for (const auto& weights :
                 {fixtures::extremeWeights, std::vector{top - 1, top}, std::vector{top, top + 1}}) {
                const fixtures::RawGraph raw(fixtures::randomRows(n, weights));
                expectSameSearch(branchAndBound(raw, {}), plain::plainBranchAndBound(raw));
            }
        }
    }
}

// Edges (0, n-1) and (i, i-1) weigh 1, all others 2. The child that follows this cycle has key n
// and every other child more, so the search goes straight down it: n-1 expansions, each pushing
// all its children, until the cycle closes. It visits the highest vertex first, and vertex 255 is
// the last that 8 bits hold.
TEST(BranchAndBound, FollowsTheCycleAcrossTheByteLimit) {
    for (const std::uint32_t n : {256u, 257u}) {
        fixtures::WeightRows rows(n, std::vector<std::uint32_t>(n, 2));
        Route cycle(n + 1, 0);
        for (std::uint32_t i = 0; i < n; ++i) {
            rows[i][(i + n - 1) % n] = 1;
            cycle[i] = (n - i) % n;
        }
        expectSameSearch(branchAndBound(fixtures::RawGraph(rows), {}),
                         {cycle, n - 1, n * (n - 1) / 2, 1 + (n - 1) * (n - 2) / 2});
    }
}

// Queued nodes take 8 bytes while n times the heaviest weight stays within 16 bits and 12 beyond:
// eight vertices then need 99,072 bytes (the weights, the sorted rows, one block of 4096 queue
// entries and one of search-tree records) or 115,456.
TEST(BranchAndBound, NodesAreAsSmallAsTheWeightsAllow) {
    const std::tuple<std::uint32_t, std::uint64_t> cases[] = {
        {999, 99'072}, {8191, 99'072}, {8192, 115'456}};
    for (const auto& [weight, bytes] : cases) {
        const fixtures::RawGraph graph(fixtures::WeightRows(8, std::vector(8, weight)));
        EXPECT_EQ(branchAndBound(graph, {.memoryBudgetBytes = bytes}).ending, Ending::Finished)
            << weight;
        EXPECT_EQ(branchAndBound(graph, {.memoryBudgetBytes = bytes - 1}).ending,
                  Ending::OutOfMemory)
            << weight;
    }
}

// On a 32-bit system the weights of 2^16 vertices, 16 GiB, would wrap around size_t to almost
// nothing: both searches refuse them before allocating, whatever the budget. A list graph holds
// that many vertices without edges in 256 KiB.
TEST(BranchAndBound, TablesPastWhatThePlatformAddressesAreRefused) {
    if (sizeof(std::size_t) > 4) {
        GTEST_SKIP() << "only a 32-bit size_t wraps at the tables of 2^16 vertices";
    }
    const ListGraph huge(1u << 16);
    EXPECT_EQ(branchAndBound(huge, {}).ending, Ending::OutOfMemory);
    IterationStop stop(1, 1);
    EXPECT_EQ(tabuSearch(huge, TabuParameters{}, stop).ending, Ending::OutOfMemory);
}

TEST(BranchAndBound, StopsAtTheMemoryBudgetOrWhenCancelled) {
    const auto graph = fixtures::randomGraph(20, 400, 1);
    const auto limited = branchAndBound(*graph, {.memoryBudgetBytes = 256 * 1024});
    EXPECT_EQ(limited.ending, Ending::OutOfMemory);
    EXPECT_GT(limited.result.expansions, 0u);
    expectSameSearch(branchAndBound(*graph, {.memoryBudgetBytes = 1}), {}, Ending::OutOfMemory);

    // A flag already set stops the search during its setup; the process tests stop one mid-way.
    const std::atomic<bool> cancel{true};
    expectSameSearch(branchAndBound(*graph, {.cancel = &cancel}), {}, Ending::Interrupted);
}

} // namespace
} // namespace komiwojazer
