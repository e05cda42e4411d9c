#include "solvers/Path.h"

#include <gtest/gtest.h>

#include <limits>
#include <sstream>

namespace komiwojazer {
namespace {

void expectEntries(const Path& path, std::initializer_list<std::pair<int, int>> entries) {
    ASSERT_EQ(path.getSize(), static_cast<std::int32_t>(entries.size()));
    std::int32_t index = 0;
    for (const auto& [vertex, weight] : entries) {
        EXPECT_EQ(path.getVertex(index), vertex) << "index " << index;
        EXPECT_EQ(path.getEdgeWeight(index), weight) << "index " << index;
        ++index;
    }
}

TEST(Path, ThreeEntryRecord) {
    Path path;
    EXPECT_EQ(path.getSize(), 0);
    EXPECT_EQ(path.getLength(), 0);
    EXPECT_EQ(path.getVertexSum(), 0);
    path.addVertex(0, 0);
    path.addVertex(4, 9);
    path.addVertex(2, 6);
    expectEntries(path, {{0, 0}, {4, 9}, {2, 6}});
    EXPECT_EQ(path.getLength(), 15);
    EXPECT_EQ(path.getVertexSum(), 6);
}

TEST(Path, RemoveVertexAndClear) {
    Path path;
    path.removeVertex(0); // an empty record ignores it
    path.clear();
    EXPECT_EQ(path.getSize(), 0);

    path.addVertex(0, 0);
    path.addVertex(4, 9);
    path.addVertex(2, 6);
    path.removeVertex(1);
    expectEntries(path, {{0, 0}, {2, 6}});
    path.removeVertex(0);
    expectEntries(path, {{2, 6}});
    path.removeVertex(0);
    EXPECT_EQ(path.getSize(), 0);
    EXPECT_EQ(path.getLength(), 0);
    path.clear();
    EXPECT_EQ(path.getSize(), 0);

    // The emptied record takes entries again; clear drops them all.
    path.addVertex(3, 5);
    path.addVertex(1, 2);
    path.removeVertex(1);
    expectEntries(path, {{3, 5}});
    path.clear();
    EXPECT_EQ(path.getSize(), 0);
    EXPECT_EQ(path.getVertexSum(), 0);
}

TEST(Path, SumsWrapAround) {
    Path path;
    path.addVertex(std::numeric_limits<std::int32_t>::max(),
                   std::numeric_limits<std::int32_t>::max());
    path.addVertex(1, 1);
    EXPECT_EQ(path.getLength(), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(path.getVertexSum(), std::numeric_limits<std::int32_t>::min());
}

TEST(Path, PrintPath) {
    Path path;
    std::ostringstream empty;
    path.printPath(empty);
    EXPECT_EQ(empty.str(), "\n");

    path.addVertex(0, 0);
    path.addVertex(2, 5);
    path.addVertex(1, 3);
    path.addVertex(0, 7);
    path.addVertex(-4, -1);
    path.removeVertex(4);
    std::ostringstream out;
    path.printPath(out);
    EXPECT_EQ(out.str(), "0: 0\n2: 5\n1: 3\n0: 7\n\n");
}

} // namespace
} // namespace komiwojazer
