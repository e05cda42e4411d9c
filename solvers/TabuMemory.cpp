#include "solvers/TabuMemory.h"

#include "graph/TableBytes.h"

namespace komiwojazer {

TabuMemory::TabuMemory(std::uint32_t n, int tenure)
    : n(n), flags(std::size_t{n} * n, 0), rowCounts(n, 0) {
    const auto count = static_cast<std::uint32_t>(tenure);
    lifetime = count == 0 ? std::uint64_t{1} << 32 : count;
}

std::uint64_t TabuMemory::bytesFor(std::uint64_t n) {
    return addBytes(tableBytes(n, sizeof(std::uint8_t)), multiplyBytes(n, sizeof(std::uint32_t)));
}

void TabuMemory::endIteration(std::uint64_t iteration, bool chosen, std::uint32_t i,
                              std::uint32_t j) {
    while (!entries.empty() && entries.front().expiry <= iteration) {
        remove(entries.front().pair);
        entries.pop_front();
    }
    if (chosen) {
        const std::size_t pair = std::size_t{i} * n + j;
        add(pair);
        entries.push_back({iteration + lifetime, pair});
    }
}

void TabuMemory::add(std::size_t pair) {
    if (flags[pair] == 0) {
        flags[pair] = 1;
        ++rowCounts[pair / n];
    } else {
        ++extra[pair];
    }
}

void TabuMemory::remove(std::size_t pair) {
    const auto more = extra.find(pair);
    if (more != extra.end()) {
        if (--more->second == 0) {
            extra.erase(more);
        }
        return;
    }
    flags[pair] = 0;
    --rowCounts[pair / n];
}

} // namespace komiwojazer
