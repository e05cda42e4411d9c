#include "app/SystemMemory.h"

#include "tests/Support.h"

#include <gtest/gtest.h>

#include <limits>
#include <utility>
#include <vector>

namespace komiwojazer {
namespace {

using komiwojazer::testing::TempDir;

// The kernel's files as fixtures: what is left is the least room of every source that is there.
TEST(SystemMemory, TheLeastRoomOfEveryLimitThatIsSet) {
    using Files = std::vector<std::pair<std::string, std::string>>;
    const std::string meminfo = "MemTotal: 9000 kB\nHugePages_Total: 0\nMemAvailable:   1000 kB\n";
    const std::uint64_t none = std::numeric_limits<std::uint64_t>::max();
    const std::pair<Files, std::uint64_t> cases[] = {
        {{{"meminfo", meminfo}}, 1'024'000},
        {{{"meminfo", "MemAvailable: lots\n"}, {"cgroup", "garbage\n0::\n"}}, none},
        // The unified hierarchy: a group's own limit, and a lower one of an ancestor.
        {{{"cgroup", "0::/a/b\n"},
          {"fs/a/b/memory.max", "max\n"},
          {"fs/a/b/memory.current", "5\n"},
          {"fs/a/memory.max", "3000\n"},
          {"fs/a/memory.current", "1000\n"}},
         2000},
        {{{"cgroup", "0::/\n"}, {"fs/unified/memory.max", "700\n"}}, 700},
        // A v1 memory hierarchy beside others; usage above the limit leaves nothing.
        {{{"meminfo", meminfo},
          {"cgroup", "5:cpu:/x\n4:cpuacct,memory:/x\n"},
          {"fs/memory/x/memory.limit_in_bytes", "500\n"},
          {"fs/memory/x/memory.usage_in_bytes", "600\n"}},
         0},
    };
    for (const auto& [files, expected] : cases) {
        const TempDir dir;
        for (const auto& [name, contents] : files) {
            std::filesystem::create_directories((dir.path / name).parent_path());
            static_cast<void>(dir.file(name, contents));
        }
        const MemorySources sources{(dir.path / "meminfo").string(), (dir.path / "statm").string(),
                                    (dir.path / "cgroup").string(), (dir.path / "fs").string()};
        EXPECT_EQ(availableMemoryBytes(sources), expected) << files.front().second;
    }
}

} // namespace
} // namespace komiwojazer
