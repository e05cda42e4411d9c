#include "solvers/BranchAndBound.h"

#include "bench/plain/PlainBranchAndBound.h"
#include "graph/ArrayGraph.h"
#include "graph/ListGraph.h"
#include "solvers/BruteForce.h"
#include "solvers/NodeQueue.h"
#include "tests/solvers/TestGraphs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>
#include <vector>

namespace komiwojazer {
namespace {

using fixtures::isCompleteRoute;
using fixtures::matrixGraph;
using fixtures::RawGraph;
using fixtures::uniformGraph;
using fixtures::WeightRows;
using Status = BranchAndBoundOutcome::Status;

const WeightRows workedExample = {{0, 3, 5, 9}, {4, 0, 2, 7}, {6, 8, 0, 1}, {2, 5, 4, 0}};

void expectSameSearch(const BranchAndBoundOutcome& actual, const BranchAndBoundOutcome& expected) {
    EXPECT_EQ(actual.status, Status::Solved);
    EXPECT_EQ(actual.route, expected.route);
    EXPECT_EQ(actual.expansions, expected.expansions);
    EXPECT_EQ(actual.pushed, expected.pushed);
    EXPECT_EQ(actual.maxQueue, expected.maxQueue);
}

#ifdef __GLIBCXX__
// The queue's steps are those of this standard library's heap with a greater-than comparison,
// so both must hand out equal keys in the same order.
TEST(NodeQueue, PopsEqualKeysInTheStandardHeapOrder) {
    StorageBudget budget(1u << 20);
    NodeQueue queue(budget);
    std::vector<QueueEntry> reference;
    const auto greater = [](const QueueEntry& a, const QueueEntry& b) { return a.key > b.key; };
    std::srand(5);
    for (std::uint32_t step = 0; step < 5000; ++step) {
        if (reference.empty() || std::rand() % 3 != 0) {
            const QueueEntry entry{static_cast<std::uint32_t>(std::rand() % 4), step, 0};
            ASSERT_TRUE(queue.tryPush(entry));
            reference.push_back(entry);
            std::push_heap(reference.begin(), reference.end(), greater);
        } else {
            std::pop_heap(reference.begin(), reference.end(), greater);
            ASSERT_EQ(queue.top().parent, reference.back().parent) << "step " << step;
            reference.pop_back();
            queue.pop();
        }
        ASSERT_EQ(queue.size(), reference.size());
    }

    StorageBudget tight(100); // less than one block of entries
    NodeQueue small(tight);
    EXPECT_FALSE(small.tryPush({0, 0, 0}));
    EXPECT_TRUE(small.empty());
}
#endif

TEST(BranchAndBound, WorkedExampleKeysAndTrace) {
    const auto graph = matrixGraph(workedExample);
    EXPECT_EQ(plain::plainBound(*graph, {0, 1}), 8u);
    EXPECT_EQ(plain::plainBound(*graph, {0, 2}), 12u);
    EXPECT_EQ(plain::plainBound(*graph, {0, 3}), 21u);
    EXPECT_EQ(plain::plainBound(*graph, {0, 1, 2}), 8u);
    EXPECT_EQ(plain::plainBound(*graph, {0, 1, 3}), 20u);

    // (0) and (0, 1) push five children; (0, 1, 2) completes; (0, 2) at 12 stops the search.
    for (const auto& outcome : {runBranchAndBound(*graph), plain::plainBranchAndBound(*graph)}) {
        EXPECT_EQ(outcome.status, Status::Solved);
        EXPECT_EQ(outcome.route, (Route{0, 1, 2, 3, 0}));
        EXPECT_EQ(outcome.expansions, 3u);
        EXPECT_EQ(outcome.pushed, 6u);
        EXPECT_EQ(outcome.maxQueue, 4u);
    }
}

// With all weights equal every key ties, so the route depends only on the heap's order of
// equal keys and on the non-strict stop: the popped key that equals the best ends the search.
TEST(BranchAndBound, EqualWeightsFollowTheQueueOrder) {
    EXPECT_EQ(branchAndBound(*uniformGraph(4, 7)), (Route{0, 1, 2, 3, 0}));
    EXPECT_EQ(branchAndBound(*uniformGraph(5, 7)), (Route{0, 1, 4, 3, 2, 0}));
    EXPECT_EQ(branchAndBound(*uniformGraph(6, 7)), (Route{0, 1, 4, 3, 5, 2, 0}));

    // The pop after (0) moves (0, 2) to the top, so (0), (0, 1), (0, 2) and (0, 1, 2) are
    // expanded; then a queued key equal to the best length, 28, ends the search.
    const auto outcome = runBranchAndBound(*uniformGraph(4, 7));
    EXPECT_EQ(outcome.expansions, 4u);
    EXPECT_EQ(outcome.pushed, 8u);
}

TEST(BranchAndBound, SmallInstances) {
    EXPECT_TRUE(branchAndBound(ArrayGraph(0)).empty());
    EXPECT_TRUE(branchAndBound(ArrayGraph(1)).empty());
    EXPECT_EQ(branchAndBound(*matrixGraph({{0, 4}, {9, 0}})), (Route{0, 1, 0}));

    // Both routes of three vertices cost 12: the first one found is kept.
    EXPECT_EQ(branchAndBound(*matrixGraph({{0, 1, 5}, {5, 0, 1}, {1, 5, 0}})), (Route{0, 1, 2, 0}));
    EXPECT_EQ(branchAndBound(*uniformGraph(3, 5)), (Route{0, 1, 2, 0}));
    // (0, 2, 1, 0) costs 3 against 15.
    EXPECT_EQ(branchAndBound(*matrixGraph({{0, 5, 1}, {1, 0, 5}, {5, 1, 0}})), (Route{0, 2, 1, 0}));
}

TEST(BranchAndBound, FindsTheOptimumOfRandomInstances) {
    const std::uint32_t maxWeights[] = {2, 5, 100, 999};
    int instances = 0;
    for (std::uint32_t n = 2; n <= 9; ++n) {
        for (unsigned seed = 1; seed <= 30; ++seed) {
            ArrayGraph graph(n);
            graph.randomGenerateFullGraph(maxWeights[seed % 4], seed);
            const Route route = branchAndBound(graph);
            ASSERT_TRUE(isCompleteRoute(route, n)) << "n=" << n << " seed=" << seed;
            EXPECT_EQ(routeLength(graph, route), routeLength(graph, bruteForce(graph)))
                << "n=" << n << " seed=" << seed;
            ++instances;
        }
    }
    EXPECT_EQ(instances, 240);
}

TEST(BranchAndBound, SearchesLikeThePlainOne) {
    for (std::uint32_t n = 2; n <= 14; ++n) {
        for (unsigned seed = 1; seed <= 6; ++seed) {
            ArrayGraph graph(n);
            graph.randomGenerateFullGraph(seed % 2 == 0 ? 3 : 400, seed);
            SCOPED_TRACE(::testing::Message() << "n=" << n << " seed=" << seed);
            expectSameSearch(runBranchAndBound(graph), plain::plainBranchAndBound(graph));
        }
    }
}

// Weights near 2^32 make keys and lengths wrap around; the search must still take the same steps.
TEST(BranchAndBound, WrappingSumsSearchLikeThePlainOne) {
    const std::vector<std::uint32_t> values{0,           1,           2,          0x7fffffffu,
                                            0x80000000u, 0xfffffffeu, 0xffffffffu};
    std::srand(7);
    for (std::uint32_t n = 2; n <= 8; ++n) {
        for (int round = 0; round < 10; ++round) {
            const RawGraph graph(fixtures::randomRows(n, values));
            SCOPED_TRACE(::testing::Message() << "n=" << n << " round=" << round);
            expectSameSearch(runBranchAndBound(graph), plain::plainBranchAndBound(graph));
        }
    }
}

TEST(BranchAndBound, ListGraphSearchesLikeArrayGraph) {
    for (unsigned seed = 1; seed <= 5; ++seed) {
        ArrayGraph array(10);
        ListGraph list(10);
        array.randomGenerateFullGraph(20, seed);
        list.randomGenerateFullGraph(20, seed);
        expectSameSearch(runBranchAndBound(list), runBranchAndBound(array));
    }
}

TEST(BranchAndBound, StopsAtTheMemoryBudget) {
    ArrayGraph graph(20);
    graph.randomGenerateFullGraph(400, 1);
    const auto full = runBranchAndBound(graph);
    ASSERT_EQ(full.status, Status::Solved);

    const auto limited = runBranchAndBound(graph, {.memoryBudgetBytes = 256 * 1024});
    EXPECT_EQ(limited.status, Status::OutOfMemory);
    EXPECT_GT(limited.pushed, 0u);
    EXPECT_LT(limited.pushed, full.pushed);
    // The only complete route this search finds is its last step, so none is held yet.
    EXPECT_TRUE(limited.route.empty());

    const auto nothing = runBranchAndBound(graph, {.memoryBudgetBytes = 1});
    EXPECT_EQ(nothing.status, Status::OutOfMemory);
    EXPECT_EQ(nothing.pushed, 0u);
    EXPECT_EQ(nothing.expansions, 0u);
}

TEST(BranchAndBound, Cancellation) {
    ArrayGraph graph(8);
    graph.randomGenerateFullGraph(50, 3);
    std::atomic<bool> cancel{true};
    const auto before = runBranchAndBound(graph, {.cancel = &cancel});
    EXPECT_EQ(before.status, Status::Cancelled);
    EXPECT_EQ(before.expansions, 0u);
    EXPECT_TRUE(before.route.empty());

    // Forty vertices would take far longer than the wait; the budget outlasts it many times over.
    ArrayGraph large(40);
    large.randomGenerateFullGraph(400, 1);
    cancel = false;
    std::thread canceller([&cancel] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        cancel = true;
    });
    const auto during =
        runBranchAndBound(large, {.memoryBudgetBytes = 512u << 20, .cancel = &cancel});
    canceller.join();
    EXPECT_EQ(during.status, Status::Cancelled);
    EXPECT_GT(during.expansions, 0u);
}

} // namespace
} // namespace komiwojazer
