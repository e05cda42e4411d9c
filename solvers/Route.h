#pragma once

#include <cstdint>
#include <limits>
#include <vector>

namespace komiwojazer {

// A sequence of vertex numbers; a complete route of n vertices has n+1 entries and ends where it
// begins.
using Route = std::vector<std::uint32_t>;

// Lengths, bounds and best values that have no value yet hold all ones.
inline constexpr std::uint32_t noValue = std::numeric_limits<std::uint32_t>::max();

// The length of a route: the sum of the weights of its consecutive entries, in 32-bit unsigned
// arithmetic, so that it wraps; 0 below two entries. Weights is anything with getWeight(i, j): a
// Graph, or the solvers' WeightMatrix.
template <typename Weights>
[[nodiscard]] std::uint32_t routeLength(const Weights& weights, const Route& route) {
    std::uint32_t length = 0;
    for (std::size_t k = 1; k < route.size(); ++k) {
        length += weights.getWeight(route[k - 1], route[k]);
    }
    return length;
}

} // namespace komiwojazer
