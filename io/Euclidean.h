#pragma once

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>

namespace komiwojazer {

// A coordinate as the instance holds it: the word read as strtod reads it, in single precision.
// Narrowing a magnitude that single precision cannot hold is undefined in C++, so such values are
// made infinite, as the hardware would round them.
[[nodiscard]] inline float coordinateOf(const std::string& word) {
    const double value = std::strtod(word.c_str(), nullptr);
    constexpr double overflowThreshold = 0x1.ffffffp127; // halfway between FLT_MAX and 2^128
    constexpr float infinity = std::numeric_limits<float>::infinity();
    if (std::fabs(value) >= overflowThreshold) {
        return value < 0 ? -infinity : infinity;
    }
    return static_cast<float>(value);
}

// The weight of the edge between two points dx and dy apart: the length, computed and rounded in
// single precision with ties to even. A length that is not a finite 32-bit number gets the
// heaviest weight, which addEdge caps. Inline: a load computes one for every pair of cities.
[[nodiscard]] inline std::uint32_t euclideanWeight(float dx, float dy) {
    const float rounded = std::nearbyint(std::sqrt(dx * dx + dy * dy));
    constexpr float weightRange = 4294967296.0f; // 2^32
    if (!(rounded < weightRange)) {              // NaN fails the comparison as well
        return std::numeric_limits<std::uint32_t>::max();
    }
    return static_cast<std::uint32_t>(rounded);
}

} // namespace komiwojazer
