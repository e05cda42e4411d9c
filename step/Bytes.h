#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>

namespace komiwojazer {

// The byte arithmetic of memory budgets. Sizes of tables saturate at the largest 64-bit value
// instead of wrapping, so that a huge vertex count can never look small enough to fit.
inline constexpr std::uint64_t saturatedBytes = std::numeric_limits<std::uint64_t>::max();

// The most bytes that one table may take on this platform: a table is indexed with size_t and
// ptrdiff_t, so on a 32-bit system none passes 2 GiB, however much memory a 64-bit kernel reports
// free to the process. The size of a larger one saturates.
inline constexpr std::uint64_t largestTableBytes = std::numeric_limits<std::ptrdiff_t>::max();

[[nodiscard]] constexpr std::uint64_t addBytes(std::uint64_t a, std::uint64_t b) {
    return a > saturatedBytes - b ? saturatedBytes : a + b;
}

[[nodiscard]] constexpr std::uint64_t multiplyBytes(std::uint64_t a, std::uint64_t b) {
    return a != 0 && b > saturatedBytes / a ? saturatedBytes : a * b;
}

// The bytes of a table of count values of type T; saturated when no table of this platform holds
// them (see largestTableBytes).
template <typename T> [[nodiscard]] constexpr std::uint64_t bytesOf(std::uint64_t count) {
    const std::uint64_t bytes = multiplyBytes(count, sizeof(T));
    return bytes <= largestTableBytes ? bytes : saturatedBytes;
}

// The bytes of an n*n table of T.
template <typename T> [[nodiscard]] constexpr std::uint64_t tableBytes(std::uint64_t n) {
    return bytesOf<T>(multiplyBytes(n, n));
}

// Whether tables of the given bytes may be allocated within budgetBytes. A saturated size fits no
// budget, not even one without a limit: the tables it stands for cannot be held at all.
[[nodiscard]] constexpr bool fitsBudget(std::uint64_t bytes, std::uint64_t budgetBytes) {
    return bytes != saturatedBytes && bytes <= budgetBytes;
}

} // namespace komiwojazer
