#include "step/Bytes.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace komiwojazer {
namespace {

// Sizes saturate at exactly the edge of 64 bits, and no table passes what one block of the
// platform holds (2^63 - 1 bytes, or 2^31 - 1 on a 32-bit system); a saturated size fits no
// budget, not even one without a limit.
TEST(Bytes, SaturateAtExactlyTheirEdge) {
    constexpr std::uint64_t most = saturatedBytes;
    const std::uint64_t largest = sizeof(void*) == 8 ? 0x7fffffffffffffffu : 0x7fffffffu;
    EXPECT_EQ(largestTableBytes, largest);
    EXPECT_EQ(addBytes(most - 2, 1), most - 1);
    EXPECT_EQ(addBytes(2, most - 1), most);
    EXPECT_EQ(multiplyBytes(std::uint64_t{1} << 32, (std::uint64_t{1} << 32) - 1),
              most - (std::uint64_t{1} << 32) + 1);
    EXPECT_EQ(multiplyBytes(std::uint64_t{1} << 32, std::uint64_t{1} << 32), most);
    EXPECT_EQ(multiplyBytes(0, most), 0u);
    EXPECT_EQ(bytesOf<std::uint32_t>(largest / 4), largest / 4 * 4);
    EXPECT_EQ(bytesOf<std::uint32_t>(largest / 4 + 1), most);
    EXPECT_EQ(tableBytes<std::uint16_t>(3), 18u);
    EXPECT_TRUE(fitsBudget(100, 100));
    EXPECT_FALSE(fitsBudget(101, 100));
    EXPECT_FALSE(fitsBudget(most, most));
}

} // namespace
} // namespace komiwojazer
