#pragma once

#include "graph/Graph.h"

#include <cstdint>
#include <limits>
#include <vector>

namespace komiwojazer {

// A sequence of vertex numbers; a complete route of n vertices has n+1 entries and ends where it
// begins.
using Route = std::vector<std::uint32_t>;

// Lengths, bounds and best values that have no value yet hold all ones.
inline constexpr std::uint32_t noValue = std::numeric_limits<std::uint32_t>::max();

// Sum of the weights of consecutive entries, in 32-bit unsigned arithmetic; 0 below two entries.
[[nodiscard]] std::uint32_t routeLength(const Graph& graph, const Route& route);

} // namespace komiwojazer
