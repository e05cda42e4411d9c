#pragma once

#include <cstdint>

namespace komiwojazer {

// The exchange of two route positions that a neighbourhood chose for the next move, if any.
struct SwapChoice {
    bool found = false;       // some pair was admissible
    std::uint32_t i = 0;      // first position of the pair
    std::uint32_t j = 0;      // second position of the pair
    std::uint32_t length = 0; // length of the route after the exchange
};

} // namespace komiwojazer
