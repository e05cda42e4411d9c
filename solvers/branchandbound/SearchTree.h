#pragma once

#include "solvers/Route.h"
#include "solvers/branchandbound/ChunkedArray.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

namespace komiwojazer {

// The expanded nodes whose children are queued, so that a queued node needs only its parent's
// record and its own vertex. A record holds the last few vertices of its node's route and the
// record of the ancestor before them: a route is found by walking up a few records, each a likely
// cache miss, instead of one per vertex or a copy per node. Records never move or go away while
// the search runs.
template <typename Vertex> class SearchTree {
public:
    // The parent of the initial node, which has none.
    static constexpr std::uint32_t noRecord = noValue;

    explicit SearchTree(StorageBudget& budget) : records(budget) {}

    // Records the node whose route is the route of parent followed by vertex (the initial node:
    // noRecord and 0); its record's index, or noRecord when it does not fit the budget or the
    // indices run out.
    [[nodiscard]] std::uint32_t tryAdd(std::uint32_t parent, std::uint32_t vertex) {
        Record record{noRecord, {}};
        if (parent != noRecord) {
            const Record& above = records[parent];
            const auto used = static_cast<std::size_t>(
                std::find(above.vertices.begin(), above.vertices.end(), Vertex{0}) -
                above.vertices.begin());
            if (used == span) {
                record.anchor = parent;
                record.vertices[0] = static_cast<Vertex>(vertex);
            } else {
                record = above;
                record.vertices[used] = static_cast<Vertex>(vertex);
            }
        }
        const std::size_t index = records.size();
        if (index >= noRecord || !records.tryPushBack(record)) {
            return noRecord;
        }
        return static_cast<std::uint32_t>(index);
    }

    // Leaves in route the route of parent, from vertex 0, followed by vertex.
    void routeOf(std::uint32_t parent, std::uint32_t vertex, Route& route) const {
        route.clear();
        route.push_back(vertex);
        if (parent == noRecord) {
            return;
        }
        for (std::uint32_t at = parent; at != noRecord; at = records[at].anchor) {
            const Record& record = records[at];
            for (std::size_t slot = span; slot-- > 0;) {
                if (record.vertices[slot] != 0) {
                    route.push_back(record.vertices[slot]);
                }
            }
        }
        route.push_back(0);
        std::reverse(route.begin(), route.end());
    }

private:
    // Vertices per record: as many as fill twelve bytes after the anchor. With one byte each, the
    // route of a 32-vertex node takes three reads; records are few next to queued nodes, since
    // each expansion queues many children.
    static constexpr std::size_t span = 12 / sizeof(Vertex);

    // One expanded node. Vertex 0, which never follows the start, marks unused slots.
    struct Record {
        std::uint32_t anchor;              // the ancestor whose route the vertices extend
        std::array<Vertex, span> vertices; // the route's last vertices after it, in order
    };

    ChunkedArray<Record> records; // indexed by the queue entries' parent
};

} // namespace komiwojazer
