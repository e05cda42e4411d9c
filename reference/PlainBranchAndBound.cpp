#include "reference/PlainBranchAndBound.h"

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

namespace komiwojazer::plain {
namespace {

// Entry 0 is the key; the partial route from vertex 0 follows.
using SearchNode = std::vector<std::uint32_t>;

// The queue: a binary min-heap on the key in an array, position 0 on top, the children of p at
// 2p+1 and 2p+2. It is written out here rather than taken from std::push_heap and std::pop_heap,
// whose order of equal keys differs between standard libraries; the route returned among equally
// short ones depends on that order.
using NodeQueue = std::vector<SearchNode>;

bool greaterKey(const SearchNode& a, const SearchNode& b) {
    return a.at(0) > b.at(0);
}

// Puts node into the free position hole, after moving down every ancestor whose key is greater;
// an ancestor with an equal key stays above it.
void siftUp(NodeQueue& queue, std::size_t hole, SearchNode node) {
    while (hole > 0 && greaterKey(queue.at((hole - 1) / 2), node)) {
        queue.at(hole) = std::move(queue.at((hole - 1) / 2));
        hole = (hole - 1) / 2;
    }
    queue.at(hole) = std::move(node);
}

void push(NodeQueue& queue, SearchNode node) {
    queue.emplace_back();
    siftUp(queue, queue.size() - 1, std::move(node));
}

// Removes the top node: the last node is taken out, the top moves into the last position, the
// hole at the top walks down to a leaf through the lesser child (the right one on equal keys), and
// the last node rises from there as in a push.
void pop(NodeQueue& queue) {
    const std::size_t count = queue.size();
    if (count >= 2) {
        SearchNode last = std::move(queue.at(count - 1));
        queue.at(count - 1) = std::move(queue.at(0));
        const std::size_t len = count - 1;
        std::size_t hole = 0;
        while (hole < (len - 1) / 2) {
            const std::size_t left = 2 * hole + 1;
            const std::size_t child =
                greaterKey(queue.at(left + 1), queue.at(left)) ? left : left + 1;
            queue.at(hole) = std::move(queue.at(child));
            hole = child;
        }
        if (len % 2 == 0 && hole == (len - 2) / 2) {
            queue.at(hole) = std::move(queue.at(2 * hole + 1));
            hole = 2 * hole + 1;
        }
        siftUp(queue, hole, std::move(last));
    }
    queue.pop_back();
}

bool onRoute(const SearchNode& node, std::size_t from, std::size_t to, std::uint32_t vertex) {
    const auto end = node.begin() + static_cast<std::ptrdiff_t>(to) + 1;
    return std::find(node.begin() + static_cast<std::ptrdiff_t>(from), end, vertex) != end;
}

// The child's route ends with k and leaves at least one vertex unvisited.
void computeBound(const Graph& graph, SearchNode& child) {
    const std::uint32_t n = graph.getVertexNumber();
    const std::size_t last = child.size() - 1; // entry of C[r] = k
    const std::uint32_t k = child.at(last);
    std::uint32_t key = 0;
    for (std::size_t t = 2; t <= last; ++t) {
        key += graph.getWeight(child.at(t - 1), child.at(t));
    }
    for (std::uint32_t i = 1; i < n; ++i) {
        if (onRoute(child, 1, last - 1, i)) {
            continue;
        }
        std::uint32_t least = noValue;
        for (std::uint32_t j = 0; j < n; ++j) {
            if ((i == k && j == 0) || onRoute(child, 2, last, j) || j == i) {
                continue;
            }
            least = std::min(least, graph.getWeight(i, j));
        }
        key += least;
    }
    child.at(0) = key;
}

} // namespace

BranchAndBoundResult plainBranchAndBound(const Graph& graph) {
    const std::uint32_t n = graph.getVertexNumber();
    BranchAndBoundResult outcome;
    std::uint32_t bestLength = noValue;
    NodeQueue queue{SearchNode{0, 0}};
    outcome.pushed = 1;
    outcome.maxQueue = 1;
    while (!queue.empty()) {
        const SearchNode current = queue.front();
        pop(queue);
        if (bestLength != noValue && current.at(0) >= bestLength) {
            break;
        }
        ++outcome.expansions;
        for (std::uint32_t k = 0; k < n; ++k) {
            if (onRoute(current, 1, current.size() - 1, k)) {
                continue;
            }
            SearchNode child = current;
            child.push_back(k);
            if (child.size() - 1 == n) {
                child.push_back(0);
                std::uint32_t length = 0;
                for (std::size_t t = 2; t < child.size(); ++t) {
                    length += graph.getWeight(child.at(t - 1), child.at(t));
                }
                if (bestLength == noValue || length < bestLength) {
                    bestLength = length;
                    outcome.route.assign(child.begin() + 1, child.end());
                }
                continue;
            }
            computeBound(graph, child);
            if (bestLength != noValue && child.at(0) >= bestLength) {
                continue;
            }
            push(queue, child);
            ++outcome.pushed;
            outcome.maxQueue = std::max<std::uint64_t>(outcome.maxQueue, queue.size());
        }
    }
    return outcome;
}

} // namespace komiwojazer::plain
