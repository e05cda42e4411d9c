#include "solvers/branchandbound/BranchAndBound.h"

#include "solvers/WeightMatrix.h"
#include "solvers/branchandbound/NodeQueue.h"
#include "solvers/branchandbound/QueueEntry.h"
#include "solvers/branchandbound/SearchTree.h"

#include <algorithm>
#include <new>
#include <optional>
#include <utility>
#include <vector>

namespace komiwojazer {
namespace {

// Best-first search over partial routes from vertex 0. A queued node is its key, its parent's
// record in the search tree and its own vertex, so nodes are small and never allocate; a node's
// route is rebuilt from the tree when it is expanded. Keys come from each vertex's outgoing edges
// sorted by weight, so no route is scanned for membership, yet every key, and so every push and
// pop, is the one that recomputing the bound in full gives. Key and Vertex are the types in which
// the queue and the tree store keys and vertices; every key and vertex must fit them.
template <typename Key, typename Vertex> class BestFirstSearch {
public:
    BestFirstSearch(const WeightMatrix& weights, std::uint64_t budgetBytes)
        : n(weights.getVertexNumber()), weights(weights), budget(budgetBytes), tree(budget),
          queue(budget), onRoute(std::max(n, 1u), 0), lightest(n), secondLightest(n),
          lightestTarget(n), correction(n, 0) {
        route.reserve(std::size_t{n} + 1);
        bestRoute.reserve(std::size_t{n} + 1);
        unvisited.reserve(n);
    }

    // The bytes of the sorted rows of an n-vertex graph.
    static std::uint64_t sortedRowBytes(std::uint64_t n) { return tableBytes<Edge>(n); }

    // Searches until the queue empties, the stop test holds, the budget runs out or the run is
    // cancelled; the outcome's counts and status tell which.
    void run(Outcome<BranchAndBoundResult>& outcome, const RunLimits& limits) {
        if (!budget.take(sortedRowBytes(n))) {
            outcome.ending = Ending::OutOfMemory;
        } else if (!sortRows(limits)) {
            outcome.ending = Ending::Interrupted;
        } else {
            search(outcome, limits);
        }
    }

    // The shortest complete route found, which is optimal when the search was not stopped.
    [[nodiscard]] Route takeRoute() { return std::move(bestRoute); }

private:
    using Entry = QueueEntry<Key, Vertex>;
    static constexpr std::uint32_t noRecord = SearchTree<Vertex>::noRecord;

    // One outgoing edge in a sorted row.
    struct Edge {
        std::uint32_t weight; // weight of the edge
        std::uint32_t target; // vertex it leads to
    };

    // Each vertex's outgoing edges, lightest first, the lower target first among equal weights.
    bool sortRows(const RunLimits& limits) {
        sortedRows.reserve(std::size_t{n} * (n > 0 ? n - 1 : 0));
        for (std::uint32_t i = 0; i < n; ++i) {
            if (limits.cancelled()) {
                return false;
            }
            const auto rowStart = static_cast<std::ptrdiff_t>(sortedRows.size());
            for (std::uint32_t j = 0; j < n; ++j) {
                if (i != j) {
                    sortedRows.push_back({weights.getWeight(i, j), j});
                }
            }
            std::sort(sortedRows.begin() + rowStart, sortedRows.end(),
                      [](const Edge& a, const Edge& b) {
                          return a.weight != b.weight ? a.weight < b.weight : a.target < b.target;
                      });
        }
        return true;
    }

    void search(Outcome<BranchAndBoundResult>& outcome, const RunLimits& limits) {
        if (!push(outcome, 0, noRecord, 0)) {
            outcome.ending = Ending::OutOfMemory;
            return;
        }
        while (!queue.empty()) {
            if (limits.cancelled()) {
                outcome.ending = Ending::Interrupted;
                return;
            }
            const Entry current = queue.top();
            queue.pop();
            if (bestLength != noValue && std::uint32_t{current.key} >= bestLength) {
                return;
            }
            ++outcome.result.expansions;
            if (!expand(outcome, current)) {
                outcome.ending = Ending::OutOfMemory;
                return;
            }
        }
    }

    // Queues a node; false when it does not fit the budget.
    bool push(Outcome<BranchAndBoundResult>& outcome, std::uint32_t key, std::uint32_t parent,
              std::uint32_t vertex) {
        if (!queue.tryPush({static_cast<Key>(key), static_cast<Vertex>(vertex), parent})) {
            return false;
        }
        ++outcome.result.pushed;
        outcome.result.maxQueue = std::max<std::uint64_t>(outcome.result.maxQueue, queue.size());
        return true;
    }

    // Leaves the node's route in route, marks it in onRoute and returns its length.
    std::uint32_t rebuildRoute(const Entry& node) {
        tree.routeOf(node.parent, node.vertex, route);
        for (const std::uint32_t v : route) {
            onRoute[v] = 1;
        }
        return routeLength(weights, route);
    }

    // Children in ascending order of their new vertex; false when one does not fit the budget.
    bool expand(Outcome<BranchAndBoundResult>& outcome, const Entry& current) {
        const std::uint32_t cost = rebuildRoute(current);
        unvisited.clear();
        for (std::uint32_t v = 0; v < n; ++v) {
            if (onRoute[v] == 0) {
                unvisited.push_back(v);
            }
        }
        bool fits = true;
        if (unvisited.size() == 1) {
            closeRoute(cost, unvisited[0]);
        } else if (unvisited.size() > 1) {
            fits = pushChildren(outcome, current, cost);
        }
        for (const std::uint32_t v : route) {
            onRoute[v] = 0;
        }
        return fits;
    }

    // The only child completes the route: it competes for the best, and is never queued.
    void closeRoute(std::uint32_t cost, std::uint32_t last) {
        const std::uint32_t length =
            cost + weights.getWeight(route.back(), last) + weights.getWeight(last, 0);
        if (bestLength == noValue || length < bestLength) {
            bestLength = length;
            bestRoute = route;
            bestRoute.push_back(last);
            bestRoute.push_back(0);
        }
    }

    // The key of child k is the child's route cost, the lightest edge from k to a vertex still
    // unvisited after it, and for each such vertex the lightest edge to another one or back to 0.
    // The two lightest admissible edges of every unvisited vertex are found once per expansion;
    // a child k changes only the terms of the vertices whose lightest edge leads to k.
    bool pushChildren(Outcome<BranchAndBoundResult>& outcome, const Entry& current,
                      std::uint32_t cost) {
        std::uint32_t lightestSum = 0;
        for (const std::uint32_t i : unvisited) {
            findTwoLightest(i);
            lightestSum += lightest[i];
        }
        for (const std::uint32_t i : unvisited) {
            correction[lightestTarget[i]] += secondLightest[i] - lightest[i];
        }
        const std::uint32_t end = route.back();
        std::uint32_t record = noRecord;
        bool fits = true;
        for (const std::uint32_t k : unvisited) {
            // k may not go back to 0 while other vertices are left.
            const std::uint32_t leaveK = lightestTarget[k] != 0 ? lightest[k] : secondLightest[k];
            const std::uint32_t key = cost + weights.getWeight(end, k) + leaveK +
                                      (lightestSum - lightest[k]) + correction[k];
            if (bestLength != noValue && key >= bestLength) {
                continue;
            }
            if (record == noRecord) {
                record = tree.tryAdd(current.parent, current.vertex);
                if (record == noRecord) {
                    fits = false;
                    break;
                }
            }
            if (!push(outcome, key, record, k)) {
                fits = false;
                break;
            }
        }
        for (const std::uint32_t i : unvisited) {
            correction[lightestTarget[i]] = 0;
        }
        return fits;
    }

    // The two lightest edges from i to vertex 0 or to a vertex off the route; there are two,
    // since at least one vertex besides i is off the route.
    void findTwoLightest(std::uint32_t i) {
        const Edge* edge = sortedRows.data() + std::size_t{i} * (n - 1);
        while (edge->target != 0 && onRoute[edge->target] != 0) {
            ++edge;
        }
        lightest[i] = edge->weight;
        lightestTarget[i] = edge->target;
        ++edge;
        while (edge->target != 0 && onRoute[edge->target] != 0) {
            ++edge;
        }
        secondLightest[i] = edge->weight;
    }

    std::uint32_t n;              // vertex count
    const WeightMatrix& weights;  // the graph's weights
    std::vector<Edge> sortedRows; // each vertex's n-1 outgoing edges, lightest first
    StorageBudget budget;         // shared by the tree and the queue
    SearchTree<Vertex> tree;      // the expanded nodes whose children are queued
    NodeQueue<Entry> queue;       // open nodes by key

    std::uint32_t bestLength = noValue; // length of bestRoute; noValue while there is none
    Route bestRoute;                    // shortest complete route so far

    // Scratch space of one expansion.
    Route route;                               // the expanded node's route
    std::vector<std::uint8_t> onRoute;         // 1 for the vertices of route (one entry if n is 0)
    std::vector<std::uint32_t> unvisited;      // vertices off route, ascending
    std::vector<std::uint32_t> lightest;       // lightest admissible edge leaving each vertex
    std::vector<std::uint32_t> secondLightest; // second lightest admissible edge
    std::vector<std::uint32_t> lightestTarget; // where the lightest one leads
    std::vector<std::uint32_t> correction;     // what child k adds back for lightest edges into k
};

template <typename Key, typename Vertex>
Outcome<BranchAndBoundResult> solve(const WeightMatrix& weights, std::uint64_t budgetBytes,
                                    const RunLimits& limits) {
    Outcome<BranchAndBoundResult> outcome;
    BestFirstSearch<Key, Vertex> search(weights, budgetBytes);
    search.run(outcome, limits);
    outcome.result.route = search.takeRoute();
    return outcome;
}

// Whether every vertex fits 8 bits and every key and route length 16 bits; since those are sums of
// at most n weights, they then never wrap either.
bool fitsCompactLayout(const WeightMatrix& weights) {
    return weights.getVertexNumber() <= 256 && weights.lengthBound() <= 0xffff;
}

} // namespace

Outcome<BranchAndBoundResult> branchAndBound(const Graph& graph, const RunLimits& limits) {
    const std::uint64_t n = graph.getVertexNumber();
    Outcome<BranchAndBoundResult> outcome;
    if (!fitsBudget(WeightMatrix::bytesFor(n), limits.memoryBudgetBytes)) {
        outcome.ending = Ending::OutOfMemory;
        return outcome;
    }
    const std::uint64_t budgetBytes = limits.memoryBudgetBytes - WeightMatrix::bytesFor(n);
    try {
        const std::optional<WeightMatrix> weights = WeightMatrix::copyOf(graph, limits);
        if (!weights) {
            outcome.ending = Ending::Interrupted;
        } else if (fitsCompactLayout(*weights)) {
            outcome = solve<std::uint16_t, std::uint8_t>(*weights, budgetBytes, limits);
        } else {
            outcome = solve<std::uint32_t, std::uint32_t>(*weights, budgetBytes, limits);
        }
    } catch (const std::bad_alloc&) {
        outcome = {Ending::OutOfMemory, {}};
    }
    return outcome;
}

Route branchAndBound(const Graph& graph) {
    return branchAndBound(graph, RunLimits{}).result.route;
}

} // namespace komiwojazer
