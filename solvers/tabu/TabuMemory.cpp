#include "solvers/tabu/TabuMemory.h"

#include "step/RunLimits.h"

namespace komiwojazer {

TabuMemory::TabuMemory(std::uint32_t n, std::uint32_t tenure)
    : n(n), lifetime(tenure), flags(std::size_t{n} * n, 0), rowCounts(n, 0) {}

std::uint64_t TabuMemory::bytesFor(std::uint64_t n) {
    return addBytes(tableBytes<std::uint8_t>(n), bytesOf<std::uint32_t>(n));
}

TabuMemory::Pair TabuMemory::endIteration(std::uint64_t iteration, bool chosen, std::uint32_t i,
                                          std::uint32_t j) {
    Pair expired;
    // At most one entry was recorded per iteration, so at most one expires in each.
    if (!entries.empty() && entries.front().expiry <= iteration) {
        expired = entries.front().pair;
        remove(expired);
        entries.pop_front();
    }
    if (chosen) {
        add({i, j});
        entries.push_back({iteration + lifetime, {i, j}});
    }
    // The expired pair may still stand in a later entry, or have been recorded again just now.
    if (expired.i != 0 && isTabu(expired.i, expired.j)) {
        expired = {};
    }
    return expired;
}

void TabuMemory::add(Pair pair) {
    if (flags[cell(pair)] == 0) {
        flags[cell(pair)] = 1;
        ++rowCounts[pair.i];
    } else {
        ++extra[cell(pair)];
    }
}

void TabuMemory::remove(Pair pair) {
    const auto more = extra.find(cell(pair));
    if (more != extra.end()) {
        if (--more->second == 0) {
            extra.erase(more);
        }
        return;
    }
    flags[cell(pair)] = 0;
    --rowCounts[pair.i];
}

} // namespace komiwojazer
