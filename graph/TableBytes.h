#pragma once

#include <cstdint>
#include <limits>

namespace komiwojazer {

// Sizes of per-vertex-pair tables. They saturate at the largest 64-bit value instead of wrapping,
// so a huge vertex count can never look small enough to fit.
inline constexpr std::uint64_t saturatedBytes = std::numeric_limits<std::uint64_t>::max();

[[nodiscard]] constexpr std::uint64_t addBytes(std::uint64_t a, std::uint64_t b) {
    return a > saturatedBytes - b ? saturatedBytes : a + b;
}

[[nodiscard]] constexpr std::uint64_t multiplyBytes(std::uint64_t a, std::uint64_t b) {
    return a != 0 && b > saturatedBytes / a ? saturatedBytes : a * b;
}

// The bytes of n*n cells of cellBytes each.
[[nodiscard]] constexpr std::uint64_t tableBytes(std::uint64_t n, std::uint64_t cellBytes) {
    return multiplyBytes(multiplyBytes(n, n), cellBytes);
}

} // namespace komiwojazer
