#include "tests/oracles/PlainBranchAndBound.h"

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

namespace komiwojazer::plain {
namespace {

// Entry 0 is the key; the partial route from vertex 0 follows.
using SearchNode = std::vector<std::uint32_t>;

// Binary min-heap on the key with the push and pop steps of the common array heap.
class NodeQueue {
public:
    [[nodiscard]] bool empty() const { return nodes.empty(); }
    [[nodiscard]] std::size_t size() const { return nodes.size(); }
    [[nodiscard]] const SearchNode& top() const { return nodes.at(0); }

    void push(const SearchNode& node) {
        nodes.emplace_back();
        siftUp(nodes.size() - 1, node);
    }

    void pop() {
        const std::size_t count = nodes.size();
        if (count >= 2) {
            SearchNode last = std::move(nodes.at(count - 1));
            nodes.at(count - 1) = std::move(nodes.at(0));
            const std::size_t len = count - 1;
            std::size_t hole = 0;
            while (hole < (len - 1) / 2) {
                std::size_t child = 2 * hole + 2;
                if (key(child) > key(child - 1)) {
                    --child;
                }
                nodes.at(hole) = std::move(nodes.at(child));
                hole = child;
            }
            if (len % 2 == 0 && hole == (len - 2) / 2) {
                const std::size_t child = 2 * hole + 1;
                nodes.at(hole) = std::move(nodes.at(child));
                hole = child;
            }
            siftUp(hole, std::move(last));
        }
        nodes.pop_back();
    }

private:
    [[nodiscard]] std::uint32_t key(std::size_t position) const { return nodes.at(position).at(0); }

    // Moves node up from the free position hole past every strictly greater ancestor.
    void siftUp(std::size_t hole, SearchNode node) {
        while (hole > 0) {
            const std::size_t parent = (hole - 1) / 2;
            if (!(key(parent) > node.at(0))) {
                break;
            }
            nodes.at(hole) = std::move(nodes.at(parent));
            hole = parent;
        }
        nodes.at(hole) = std::move(node);
    }

    std::vector<SearchNode> nodes; // position 0 is the top; children of p at 2p+1 and 2p+2
};

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

std::uint32_t plainBound(const Graph& graph, const Route& route) {
    SearchNode node{0};
    node.insert(node.end(), route.begin(), route.end());
    computeBound(graph, node);
    return node.at(0);
}

BranchAndBoundOutcome plainBranchAndBound(const Graph& graph) {
    const std::uint32_t n = graph.getVertexNumber();
    BranchAndBoundOutcome outcome;
    std::uint32_t bestLength = noValue;
    NodeQueue queue;
    queue.push(SearchNode{0, 0});
    outcome.pushed = 1;
    outcome.maxQueue = 1;
    while (!queue.empty()) {
        const SearchNode current = queue.top();
        queue.pop();
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
            queue.push(child);
            ++outcome.pushed;
            outcome.maxQueue = std::max<std::uint64_t>(outcome.maxQueue, queue.size());
        }
    }
    return outcome;
}

} // namespace komiwojazer::plain
