#pragma once

#include "step/RunLimits.h"

#include <cstdint>

namespace komiwojazer {

// The bytes that the stores of one search may still allocate; a store asks before it allocates.
class StorageBudget {
public:
    explicit StorageBudget(std::uint64_t limitBytes) : limit(limitBytes) {}

    // Charges bytes to the budget; false, and nothing charged, when they do not fit.
    [[nodiscard]] bool take(std::uint64_t bytes) {
        if (!fitsBudget(bytes, limit - used)) {
            return false;
        }
        used += bytes;
        return true;
    }

private:
    std::uint64_t limit;    // bytes allowed in all
    std::uint64_t used = 0; // bytes charged so far
};

} // namespace komiwojazer
