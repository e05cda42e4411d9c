#include "io/TsplibReader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <tuple>
#include <unistd.h>
#include <utility>

namespace komiwojazer {
namespace {

namespace fs = std::filesystem;
using S = TsplibLoad::Status;
constexpr TsplibFormat matrix = TsplibFormat::FullMatrix;
constexpr TsplibFormat coords = TsplibFormat::Euclidean2D;

// The temporary path of this process's fixture with the given name.
fs::path tempPath(const std::string& name) {
    return fs::path(::testing::TempDir()) / ("tsplib-" + std::to_string(::getpid()) + "-" + name);
}

// Reads text as an instance file of the given layout.
TsplibLoad load(const std::string& text, TsplibFormat format, const RunLimits& limits = {}) {
    const fs::path path = tempPath("instance");
    std::ofstream(path, std::ios::binary) << text;
    TsplibLoad result = readTsplibFile(path.string(), format, limits);
    fs::remove(path);
    return result;
}

const std::string head = "NAME: t\nDIMENSION: ";
const std::string matrixBody = "\nEDGE_WEIGHT_FORMAT: FULL_MATRIX \nEDGE_WEIGHT_SECTION\n";
const std::string coordsBody = "\nEDGE_WEIGHT_TYPE: EUC_2D\nNODE_COORD_SECTION\n";

// The weights of a graph, row by row, separated by blanks.
std::string weightsOf(const ArrayGraph& graph) {
    std::string weights;
    for (std::uint32_t i = 0; i < graph.getVertexNumber(); ++i) {
        for (std::uint32_t j = 0; j < graph.getVertexNumber(); ++j) {
            weights.append(weights.empty() ? "" : " ")
                .append(std::to_string(graph.getWeight(i, j)));
        }
    }
    return weights;
}

TEST(TsplibReader, FilesGiveTheirWeightsOrSayWhyNot) {
    // Each file with the status, the detail and, when loaded, the weights (see weightsOf).
    const std::tuple<TsplibFormat, std::string, S, std::string, std::string> files[] = {
        // The diagonal is read but not stored; 1000 and more is stored as 900.
        {matrix, head + "3" + matrixBody + "888 5 7\n6 888 1000\n2 3 888 EOF", S::Loaded, "",
         "0 5 7 6 0 900 2 3 0"},
        // strtol's prefix, and numbers that cannot be a weight as written count as the heaviest.
        {matrix,
         head + "4" + matrixBody + "0 999 +7 12abc\n abc 0 0x10 -0\n -5 4294967295 0 4294967296\n" +
             "99999999999999999999999 +-3 7-3 0",
         S::Loaded, "", "0 999 7 12 0 0 0 0 900 900 0 900 900 0 7 0"},
        // The first DIMENSION:, even in a comment, counts; index tokens are any words.
        {coords,
         "COMMENT: see DIMENSION:\t3 below\r\nDIMENSION: 7\r\nEDGE_WEIGHT_TYPE:\vEUC_2D\r\n"
         "NODE_COORD_SECTION\r\na\t0\t0\r\nb\f3\t4\r\nc 0 -6 trailing junk",
         S::Loaded, "", "0 5 6 5 0 10 6 10 0"},
        {matrix, head + "-0" + matrixBody, S::Loaded, "", ""},
        {coords, head + "none" + coordsBody, S::Loaded, "", ""},
        // The format value is checked before the dimension, and case matters.
        {coords, "DIMENSION: -2 EDGE_WEIGHT_TYPE: euc_2d", S::UnsupportedFormat, "euc_2d", ""},
        {matrix, "DIMENSION:2" + matrixBody + "0 1 1 0", S::MissingKeyword, "DIMENSION:", ""},
        {matrix, head + "2" + coordsBody + "1 0 0 2 3 4", S::MissingKeyword,
         "EDGE_WEIGHT_FORMAT:", ""},
        {matrix, "DIMENSION:\n", S::Incomplete, "", ""},
        {matrix, head + "-99999999999999999999x" + matrixBody, S::InvalidDimension,
         "-99999999999999999999x", ""},
        {matrix, head + "4294967298" + matrixBody + "0 1 1 0", S::Incomplete, "", ""},
        {matrix, head + "1" + matrixBody, S::Incomplete, "", ""}, // the lone diagonal token is due
        {coords, head + "2" + coordsBody + "1 0 0 2 3", S::Incomplete, "", ""}};
    for (const auto& [format, text, status, detail, weights] : files) {
        const TsplibLoad loaded = load(text, format);
        EXPECT_EQ(loaded.status, status) << text;
        EXPECT_EQ(loaded.detail, detail) << text;
        EXPECT_EQ(loaded.graph != nullptr, status == S::Loaded) << text;
        if (loaded.graph) {
            EXPECT_EQ(loaded.dimension, loaded.graph->getVertexNumber()) << text;
            EXPECT_EQ(weightsOf(*loaded.graph), weights) << text;
        }
    }
}

TEST(TsplibReader, DistancesRoundInSinglePrecisionTiesToEven) {
    // The second node's x and y, and the weight of both edges to the first node at (0, 0).
    const std::pair<const char*, std::uint32_t> points[] = {
        {"0 2.5", 2},     {"0 3.5", 4},     {"0 2.50000001", 2}, {"1 2.291288", 2},
        {"600 800", 900}, {"0 998.5", 998}, {"0 999.5", 900},    {"6.5e+02 0", 650},
        {"0 0", 0},       {"nan 0", 900},   {"1e300 0", 900},    {"4294967296 0", 900}};
    for (const auto& [point, weight] : points) {
        const TsplibLoad pair =
            load(head + "2" + coordsBody + "first 0 0\nsecond " + point, coords);
        ASSERT_EQ(pair.status, S::Loaded) << point;
        EXPECT_EQ(pair.graph->getWeight(0, 1), weight) << point;
        EXPECT_EQ(pair.graph->getWeight(1, 0), weight) << point;
    }
}

TEST(TsplibReader, TokensAcrossReadBlocks) {
    const std::uint32_t n = 300; // about 400 KB of weights, so many tokens straddle blocks
    std::string weights;
    for (std::uint32_t k = 0; k < n * n; ++k) {
        weights.append(k == 0 ? "" : " ").append(std::to_string(k / n == k % n ? 0 : 1 + k % 997));
    }
    // A long token that begins with the keyword is not the keyword; the keyword itself straddles
    // offset 2^17, a boundary of any power-of-two block up to that size.
    std::string file = "COMMENT: x DIMENSION:" + std::string(100000, '9');
    file.resize(131067, ' ');
    file += "DIMENSION: 300" + matrixBody + std::string(weights).insert(2, 150000, '0');
    const TsplibLoad big = load(file, matrix);
    ASSERT_EQ(big.status, S::Loaded);
    const std::string stored = weightsOf(*big.graph);
    const auto at = std::mismatch(stored.begin(), stored.end(), weights.begin(), weights.end());
    EXPECT_EQ(std::string(at.first, stored.end()).substr(0, 20),
              std::string(at.second, weights.end()).substr(0, 20))
        << "at character " << at.first - stored.begin();
}

// Whatever is kept of a file counts against the budget: the matrix, the coordinates, any word.
// A cancelled load stops, even on a file that never ends.
TEST(TsplibReader, LoadsStayWithinTheirLimits) {
    const std::string tenNodes = head + "10" + coordsBody + "1 0 0 2 0 1 3 0 2 4 0 3 5 0 4 6 0 5 " +
                                 "7 0 6 8 0 7 9 0 8 10 0 9";
    EXPECT_EQ(load(tenNodes, coords, {.memoryBudgetBytes = 600}).status, S::Loaded);
    EXPECT_EQ(load(tenNodes, coords, {.memoryBudgetBytes = 559}).status, S::OutOfMemory);
    EXPECT_EQ(load(head + std::string(3000, '1') + matrixBody, matrix, {.memoryBudgetBytes = 4000})
                  .status,
              S::OutOfMemory);
    const std::atomic<bool> cancel{true};
    EXPECT_EQ(readTsplibFile("/proc/self/pagemap", matrix, {.cancel = &cancel}).status,
              S::Interrupted);
}

// A 77-byte file that promises 25000 vertices is judged by its size before 2.5 GB of matrix is
// allocated: under an address-space limit that the matrix would break, it is still only cut.
TEST(TsplibReader, ShortFileNeverCostsItsMatrix) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer needs more address space than the limit leaves";
#endif
    const pid_t child = fork();
    if (child == 0) {
        const rlimit limit{std::uint64_t{1} << 30, std::uint64_t{1} << 30};
        setrlimit(RLIMIT_AS, &limit);
        const TsplibLoad cut = load(head + "25000" + matrixBody + "0 1 2 3\n", matrix,
                                    {.memoryBudgetBytes = std::uint64_t{3} << 30});
        _exit(cut.status == S::Incomplete ? 0 : 1);
    }
    int status = -1;
    waitpid(child, &status, 0);
    EXPECT_EQ(status, 0);
}

} // namespace
} // namespace komiwojazer
