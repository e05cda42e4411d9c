#include "graph/MemoryBudget.h"

#include <algorithm>
#include <fstream>
#include <limits>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

namespace komiwojazer {
namespace {

std::uint64_t budgetCap = 0; // 0: no cap

std::uint64_t kernelAvailableBytes() {
    // Read line by line: some lines carry no unit, so word-by-word reading would drift.
    std::ifstream meminfo("/proc/meminfo");
    const std::string key = "MemAvailable:";
    for (std::string line; std::getline(meminfo, line);) {
        if (line.starts_with(key)) {
            return std::stoull(line.substr(key.size())) * 1024;
        }
    }
    const long pages = sysconf(_SC_AVPHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (pages > 0 && pageSize > 0) {
        return static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(pageSize);
    }
    return std::numeric_limits<std::uint64_t>::max();
}

std::uint64_t addressSpaceLeft() {
    rlimit limit{};
    if (getrlimit(RLIMIT_AS, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) {
        return std::numeric_limits<std::uint64_t>::max();
    }
    std::uint64_t usedPages = 0;
    std::ifstream statm("/proc/self/statm");
    statm >> usedPages;
    const std::uint64_t used = usedPages * static_cast<std::uint64_t>(sysconf(_SC_PAGESIZE));
    return limit.rlim_cur > used ? limit.rlim_cur - used : 0;
}

} // namespace

std::uint64_t availableMemoryBytes() {
    const std::uint64_t available = std::min(kernelAvailableBytes(), addressSpaceLeft());
    return budgetCap == 0 ? available : std::min(available, budgetCap);
}

void capMemoryBudget(std::uint64_t bytes) {
    budgetCap = bytes;
}

} // namespace komiwojazer
