#include "app/SystemMemory.h"

#include "tests/Support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fcntl.h>
#include <limits>
#include <sys/resource.h>
#include <utility>
#include <vector>

namespace komiwojazer {
namespace {

using namespace komiwojazer::testing;

// What sysconf says on a system with pages of 4096 bytes, 100 of them physical and 10 available;
// -1 is "not known". The variants know less, or report no page free.
template <long pageSize, long physical, long available> long system(int name) {
    return name == _SC_PAGESIZE       ? pageSize
           : name == _SC_PHYS_PAGES   ? physical
           : name == _SC_AVPHYS_PAGES ? available
                                      : -1;
}
constexpr auto smallSystem = system<4096, 100, 10>;
constexpr auto physicalOnly = system<4096, 100, -1>;
constexpr auto noneAvailable = system<4096, 100, 0>;
constexpr auto noPageSize = system<-1, 100, 10>;
constexpr auto unknowing = system<-1, -1, -1>;

// The kernel's files as fixtures: what is left is the least room of every source that is there;
// without the kernel's report of available memory, sysconf's pages stand in for it.
TEST(SystemMemory, TheLeastRoomOfEveryLimitThatIsSet) {
    using Files = std::vector<std::pair<std::string, std::string>>;
    const std::string meminfo = "MemTotal: 9000 kB\nHugePages_Total: 0\nMemAvailable:   1000 kB\n";
    const std::uint64_t none = std::numeric_limits<std::uint64_t>::max();
    const std::tuple<Files, long (*)(int), std::uint64_t> cases[] = {
        {{{"meminfo", meminfo}}, smallSystem, 1'024'000},
        {{{"meminfo", "MemAvailable: lots\n"}, {"cgroup", "garbage\n0::\n"}}, smallSystem, none},
        {{{"meminfo", "MemAvailable:\t\t7 kB\n"}}, smallSystem, 7168},
        {{}, smallSystem, 40'960},
        {{}, noPageSize, 40'960},
        {{{"meminfo", "MemTotal: 9000 kB\n"}}, physicalOnly, 409'600},
        {{}, noneAvailable, 409'600},
        {{}, unknowing, none},
        // The unified hierarchy: a group's own limit, and a lower one of an ancestor.
        {{{"meminfo", meminfo},
          {"cgroup", "0::/a/b\n"},
          {"fs/a/b/memory.max", "max\n"},
          {"fs/a/b/memory.current", "5\n"},
          {"fs/a/memory.max", "3000\n"},
          {"fs/a/memory.current", "1000\n"}},
         smallSystem,
         2000},
        {{{"cgroup", "0::/\n"}, {"fs/unified/memory.max", "700\n"}}, smallSystem, 700},
        // The root of a hierarchy is one of a group's ancestors, in v2 and in v1.
        {{{"cgroup", "0::/a/b\n"}, {"fs/memory.max", "900\n"}}, smallSystem, 900},
        {{{"cgroup", "4:memory:/x/y\n"}, {"fs/memory/memory.limit_in_bytes", "800\n"}},
         smallSystem,
         800},
        // A v1 memory hierarchy beside others; usage above the limit leaves nothing.
        {{{"meminfo", meminfo},
          {"cgroup", "5:cpu:/x\n4:cpuacct,memory:/x\n"},
          {"fs/memory/x/memory.limit_in_bytes", "500\n"},
          {"fs/memory/x/memory.usage_in_bytes", "600\n"}},
         smallSystem,
         0},
    };
    for (const auto& [files, system, expected] : cases) {
        const TempDir dir;
        for (const auto& [name, contents] : files) {
            std::filesystem::create_directories((dir.path / name).parent_path());
            static_cast<void>(dir.file(name, contents));
        }
        const MemorySources sources{dir / "meminfo", dir / "statm", dir / "cgroup", dir / "fs",
                                    system};
        EXPECT_EQ(availableMemoryBytes(sources), expected)
            << (files.empty() ? "no files" : files.front().second);
    }
}

// Under an address-space limit, what is left is the limit less the pages in use (1000 of 4096
// bytes here); under a data-segment limit, the limit less the data pages, as this process's own
// statm shows them, read again right after without a heap allocation.
TEST(SystemMemory, RoomUnderTheProcessLimits) {
    if (const std::string why = whyNoAddressSpaceLimit(); !why.empty()) {
        GTEST_SKIP() << why;
    }
    const TempDir dir;
    const auto pageSizeOnly = system<4096, -1, -1>;
    const MemorySources sources{dir / "none", dir.file("statm", "1000 200 0 0 0 300 0\n"),
                                dir / "none", dir / "none", pageSizeOnly};
    const std::uint64_t gib = std::uint64_t{1} << 30;
    EXPECT_EQ(inChild([&] {
                  const rlimit limit{gib, RLIM_INFINITY};
                  return setrlimit(RLIMIT_AS, &limit) == 0 &&
                         availableMemoryBytes(sources) == gib - 4096 * 1000;
              }),
              1);
    EXPECT_EQ(inChild([&] {
                  const rlimit limit{gib, RLIM_INFINITY};
                  setrlimit(RLIMIT_DATA, &limit);
                  // The pages in use where the program finds them by default.
                  MemorySources own;
                  own.meminfo = own.cgroupList = "/nonexistent";
                  own.systemValue = pageSizeOnly;
                  const std::uint64_t room = availableMemoryBytes(own);
                  char statm[256] = {};
                  const int file = ::open("/proc/self/statm", O_RDONLY);
                  unsigned long long pages = 0;
                  return ::read(file, statm, sizeof statm - 1) > 0 &&
                         std::sscanf(statm, "%*u %*u %*u %*u %*u %llu", &pages) == 1 &&
                         room == gib - pages * 4096;
              }),
              1);
}

} // namespace
} // namespace komiwojazer
