#pragma once

#include <cstdint>

namespace komiwojazer {

// One open node as the queue holds it. Its route is the route of the expanded node recorded at
// parent, followed by vertex, so a queued node needs no copy of its own. Key and Vertex are as
// narrow as the instance allows: 16 and 8 bits make an entry of 8 bytes instead of 12.
template <typename Key, typename Vertex> struct QueueEntry {
    Key key;              // lower bound on every complete route that extends the node
    Vertex vertex;        // the vertex that the node appends to its parent's route
    std::uint32_t parent; // the search tree's record of the parent
};

static_assert(sizeof(QueueEntry<std::uint16_t, std::uint8_t>) == 8);

} // namespace komiwojazer
