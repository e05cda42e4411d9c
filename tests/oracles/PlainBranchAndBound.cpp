#include "tests/oracles/PlainBranchAndBound.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace komiwojazer::plain {
namespace {

// Entry 0 is the key; the partial route from vertex 0 follows.
using SearchNode = std::vector<std::uint32_t>;

// The queue is the standard library's array heap; with this comparison the least key is on top.
bool greaterKey(const SearchNode& a, const SearchNode& b) {
    return a.at(0) > b.at(0);
}

bool onRoute(const SearchNode& node, std::size_t from, std::size_t to, std::uint32_t vertex) {
    for (std::size_t t = from; t <= to; ++t) {
        if (node.at(t) == vertex) {
            return true;
        }
    }
    return false;
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
        bool found = false;
        for (std::uint32_t j = 0; j < n; ++j) {
            if ((i == k && j == 0) || onRoute(child, 2, last, j) || j == i) {
                continue;
            }
            const std::uint32_t w = graph.getWeight(i, j);
            if (!found || w < least) {
                least = w;
                found = true;
            }
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
    std::vector<SearchNode> queue{SearchNode{0, 0}};
    outcome.pushed = 1;
    outcome.maxQueue = 1;
    while (!queue.empty()) {
        std::pop_heap(queue.begin(), queue.end(), greaterKey);
        const SearchNode current = queue.back();
        queue.pop_back();
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
            queue.push_back(child);
            std::push_heap(queue.begin(), queue.end(), greaterKey);
            ++outcome.pushed;
            outcome.maxQueue = std::max<std::uint64_t>(outcome.maxQueue, queue.size());
        }
    }
    return outcome;
}

} // namespace komiwojazer::plain
