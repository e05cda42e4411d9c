#include "solvers/exhaustive/Path.h"

#include <gtest/gtest.h>

#include <limits>
#include <sstream>
#include <string>

namespace komiwojazer {
namespace {

std::string printed(const Path& path) {
    std::ostringstream out;
    path.printPath(out);
    return out.str();
}

TEST(Path, KeepsItsEntriesInOrderThroughEveryChange) {
    Path path;
    path.removeVertex(0); // an empty record ignores both
    path.clear();
    EXPECT_EQ(printed(path), "\n");

    path.addVertex(0, 0);
    path.addVertex(4, 9);
    path.addVertex(2, 6);
    EXPECT_EQ(path.getSize(), 3);
    EXPECT_EQ(path.getVertex(1), 4);
    EXPECT_EQ(path.getEdgeWeight(2), 6);
    EXPECT_EQ(path.getLength(), 15);
    EXPECT_EQ(path.getVertexSum(), 6);
    path.removeVertex(1);
    EXPECT_EQ(printed(path), "0: 0\n2: 6\n\n");
    path.removeVertex(0);
    path.removeVertex(0);
    EXPECT_EQ(path.getSize(), 0);

    // The emptied record takes entries again; its sums wrap like 32-bit two's complement.
    constexpr std::int32_t max = std::numeric_limits<std::int32_t>::max();
    path.addVertex(-4, -1);
    path.addVertex(max, max);
    path.addVertex(1, 1);
    path.addVertex(5, 5);
    path.removeVertex(3); // the last index
    path.removeVertex(0);
    EXPECT_EQ(path.getLength(), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(path.getVertexSum(), std::numeric_limits<std::int32_t>::min());
    path.clear();
    EXPECT_EQ(printed(path), "\n");
}

// A moved-from record once kept its size with no arrays, so reading or printing it crashed.
TEST(Path, MovedFromRecordIsEmpty) {
    Path path;
    path.addVertex(3, 4);
    Path taken(std::move(path));
    EXPECT_EQ(path.getSize(), 0); // NOLINT(bugprone-use-after-move): what is left must be empty
    EXPECT_EQ(printed(path), "\n");
    path = std::move(taken);
    EXPECT_EQ(taken.getSize(), 0); // NOLINT(bugprone-use-after-move)
    EXPECT_EQ(printed(path), "3: 4\n\n");
}

} // namespace
} // namespace komiwojazer
