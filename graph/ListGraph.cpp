#include "graph/ListGraph.h"

#include <ostream>

namespace komiwojazer {

ListGraph::ListGraph(std::uint32_t n) : heads(new ListNode*[n]()) {
    vertexNumber = n;
}

// Freed iteratively: a recursive teardown of a long list would exhaust the stack.
ListGraph::~ListGraph() {
    for (std::uint32_t i = 0; i < vertexNumber; ++i) {
        ListNode* node = heads[i];
        while (node != nullptr) {
            ListNode* next = node->next;
            delete node;
            node = next;
        }
    }
}

bool ListGraph::addEdge(std::uint32_t i, std::uint32_t j, std::uint32_t weight) {
    ListNode** link = &heads[i];
    while (*link != nullptr) {
        if ((*link)->vertex == j) {
            return false;
        }
        link = &(*link)->next;
    }
    *link = new ListNode{j, capWeight(weight), nullptr};
    return true;
}

bool ListGraph::removeEdge(std::uint32_t i, std::uint32_t j) {
    for (ListNode** link = &heads[i]; *link != nullptr; link = &(*link)->next) {
        if ((*link)->vertex == j) {
            ListNode* node = *link;
            *link = node->next;
            delete node;
            return true;
        }
    }
    return false;
}

std::uint32_t ListGraph::getWeight(std::uint32_t i, std::uint32_t j) const {
    for (const ListNode* node = heads[i]; node != nullptr; node = node->next) {
        if (node->vertex == j) {
            return node->weight;
        }
    }
    return 0;
}

Ending ListGraph::displayGraph(std::ostream& out, const RunLimits& limits) const {
    for (std::uint32_t i = 0; i < vertexNumber; ++i) {
        out << i << " -> ";
        for (const ListNode* node = heads[i]; node != nullptr; node = node->next) {
            out << node->vertex << '@' << node->weight << ' ';
        }
        out << '\n' << std::flush;
        if (limits.cancelled()) {
            return Ending::Interrupted;
        }
    }
    return Ending::Finished;
}

} // namespace komiwojazer
