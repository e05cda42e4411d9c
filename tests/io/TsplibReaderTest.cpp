#include "io/TsplibReader.h"

#include "tests/Support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>

namespace komiwojazer {
namespace {

using R = TsplibRefusal;
constexpr TsplibFormat matrix = TsplibFormat::FullMatrix;
constexpr TsplibFormat coords = TsplibFormat::Euclidean2D;

Outcome<TsplibInstance> load(const std::string& text, TsplibFormat format,
                             const RunLimits& limits = {}) {
    const testing::TempDir dir;
    return readTsplibFile(dir.file("instance", text), format, limits);
}

const std::string head = "NAME: t\nDIMENSION: ";
const std::string matrixBody = "\nEDGE_WEIGHT_FORMAT: FULL_MATRIX \nEDGE_WEIGHT_SECTION\n";
const std::string coordsBody = "\nEDGE_WEIGHT_TYPE: EUC_2D\nNODE_COORD_SECTION\n";
const std::string bom = "\xEF\xBB\xBF";

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
    // Each file with its refusal and detail or, when loaded, the weights (see weightsOf).
    const std::tuple<TsplibFormat, std::string, R, std::string> files[] = {
        // The diagonal is read but not stored; 1000 and more is stored as 900.
        {matrix, head + "3" + matrixBody + "888 5 7\n6 888 1000\n2 3 888 EOF", R::None,
         "0 5 7 6 0 900 2 3 0"},
        // strtol's prefix, and numbers that cannot be a weight as written count as the heaviest.
        {matrix,
         head + "4" + matrixBody + "0 999 +7 12abc\n abc 0 0x10 -0\n -5 4294967295 0 4294967296\n" +
             "18446744073709551617 +-3 7-3 0",
         R::None, "0 999 7 12 0 0 0 0 900 900 0 900 900 0 7 0"},
        // The smallest file that holds its weights: one digit each, single blanks, no last newline.
        {matrix, "DIMENSION: 2\nEDGE_WEIGHT_FORMAT: FULL_MATRIX\nEDGE_WEIGHT_SECTION\n0 1 2 0",
         R::None, "0 1 2 0"},
        {coords, "DIMENSION: 2\nEDGE_WEIGHT_TYPE: EUC_2D\nNODE_COORD_SECTION\n1 0 0 2 3 4", R::None,
         "0 5 5 0"},
        // A byte order mark at the very start is no word; anywhere else it is part of one.
        {matrix, bom + "DIMENSION: 2" + matrixBody + "0 1 2 0", R::None, "0 1 2 0"},
        {matrix, "NAME: x\n" + bom + "DIMENSION: 2" + matrixBody + "0 1 2 0", R::MissingKeyword,
         "DIMENSION:"},
        // The first DIMENSION:, even in a comment, counts; index tokens are any words.
        {coords,
         "COMMENT: see DIMENSION:\t3 below\r\nDIMENSION: 7\r\nEDGE_WEIGHT_TYPE:\vEUC_2D\r\n"
         "NODE_COORD_SECTION\r\na\t0\t0\r\nb\f3\t4\r\nc 0 -6 trailing junk",
         R::None, "0 5 6 5 0 10 6 10 0"},
        {matrix, head + "-0" + matrixBody, R::None, ""},
        {matrix, head + "0x2" + matrixBody + "0 1 2 0", R::None, ""}, // base 10
        {coords, head + "none" + coordsBody, R::None, ""},
        // The format value is checked before the dimension, and case matters.
        {coords, "DIMENSION: -2 EDGE_WEIGHT_TYPE: euc_2d", R::UnsupportedFormat, "euc_2d"},
        {matrix, "DIMENSION:2" + matrixBody + "0 1 1 0", R::MissingKeyword, "DIMENSION:"},
        {matrix, head + "2" + coordsBody + "1 0 0 2 3 4", R::MissingKeyword, "EDGE_WEIGHT_FORMAT:"},
        {matrix, "DIMENSION:\n", R::Incomplete, ""},
        {matrix, head + "-99999999999999999999x" + matrixBody, R::InvalidDimension,
         "-99999999999999999999x"},
        // Files too short for what their dimension promises, which no memory would hold either.
        {matrix, head + "4294967298" + matrixBody + "0 1 1 0", R::Incomplete, ""},
        {coords, head + "2147483648" + coordsBody + "1 0 0", R::Incomplete, ""},
        {matrix, head + "1" + matrixBody, R::Incomplete, ""}, // the diagonal is due
        {matrix, head + "2" + matrixBody + "0 1 2", R::Incomplete, ""},
        {coords, head + "2" + coordsBody + "1 0 0 2 3", R::Incomplete, ""}};
    for (const auto& [format, text, refusal, shown] : files) {
        const Outcome<TsplibInstance> read = load(text, format);
        const bool loaded = refusal == R::None;
        EXPECT_EQ(read.ending, loaded ? Ending::Finished : Ending::Refused) << text;
        EXPECT_EQ(read.result.refusal, refusal) << text;
        EXPECT_EQ(read.result.detail, loaded ? "" : shown) << text;
        EXPECT_EQ(read.result.graph != nullptr, loaded) << text;
        if (read.result.graph) {
            EXPECT_EQ(read.result.dimension, read.result.graph->getVertexNumber()) << text;
            EXPECT_EQ(weightsOf(*read.result.graph), shown) << text;
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
        const Outcome<TsplibInstance> pair =
            load(head + "2" + coordsBody + "first 0 0\nsecond " + point, coords);
        ASSERT_EQ(pair.ending, Ending::Finished) << point;
        EXPECT_EQ(pair.result.graph->getWeight(0, 1), weight) << point;
        EXPECT_EQ(pair.result.graph->getWeight(1, 0), weight) << point;
    }
    // The largest single-precision value is a coordinate like any other: two nodes there are at
    // the same point.
    const std::string largest = "3.4028234663852886e38 0";
    EXPECT_EQ(load(head + "2" + coordsBody + "1 " + largest + " 2 " + largest, coords)
                  .result.graph->getWeight(0, 1),
              0u);
}

TEST(TsplibReader, TokensAcrossReadBlocks) {
    // A long token that begins with the keyword is not the keyword; the keyword itself straddles
    // offset 2^17, a boundary of any power-of-two block up to that size, and so does a weight of
    // 150,002 digits, most of them leading zeros.
    std::string file = "COMMENT: x DIMENSION:" + std::string(100000, '9');
    file.resize(131067, ' ');
    file += "DIMENSION: 2" + matrixBody + "0 " + std::string(150000, '0') + "12 34 0";
    const Outcome<TsplibInstance> big = load(file, matrix);
    ASSERT_EQ(big.ending, Ending::Finished);
    EXPECT_EQ(weightsOf(*big.result.graph), "0 12 34 0");
    // Every kind of blank, and a byte order mark, which only the file's very start may skip, cut
    // by a block boundary at each of their bytes.
    for (std::size_t blanks = 65530; blanks <= 65540; ++blanks) {
        const std::string pad(blanks, ' ');
        const Outcome<TsplibInstance> loaded =
            load(pad + "DIMENSION:\r\n2\r\nEDGE_WEIGHT_FORMAT:\vFULL_MATRIX\fEDGE_WEIGHT_"
                       "SECTION\t0 12\r\n3 0",
                 matrix);
        ASSERT_EQ(loaded.ending, Ending::Finished) << blanks;
        EXPECT_EQ(weightsOf(*loaded.result.graph), "0 12 3 0") << blanks;
        EXPECT_EQ(load(pad + bom + "DIMENSION: 2" + matrixBody + "0 1 2 0", matrix).result.refusal,
                  R::MissingKeyword)
            << blanks;
    }
}

// A read that fails ends the file where it failed: what is missing is reported missing. A read
// that a signal cut short is read again. A load cancelled while a block is read stops before the
// next one.
TEST(TsplibReader, ReadingStopsWhereAReadFailsOrTheLoadIsCancelled) {
    // Fails the reads after the first few, which bring one block each, with error; error 0 sets
    // the cancel flag instead.
    class FailingReads final : public FileSystem {
    public:
        FailingReads(int good, int error) : good(good), error(error) {}
        std::atomic<bool> cancel{false};

    private:
        int fault(const char* call) override {
            const bool fails = std::string_view(call) == "read" && --good < 0;
            cancel = cancel || (fails && error == 0);
            return fails && error == EINTR ? std::exchange(error, 0) : fails ? error : 0;
        }
        int good;
        int error;
    };
    const testing::TempDir dir;
    const std::string name =
        dir.file("big", head + "2" + matrixBody + std::string(100'000, ' ') + "0 1 2 0");
    for (const auto& [good, error, refusal] :
         {std::tuple{0, EIO, R::MissingKeyword}, {1, EIO, R::Incomplete}, {1, EINTR, R::None}}) {
        FailingReads files(good, error);
        EXPECT_EQ(readTsplibFile(name, matrix, {}, files).result.refusal, refusal) << error;
    }
    FailingReads cancelling(0, 0);
    EXPECT_EQ(readTsplibFile(name, matrix, {.cancel = &cancelling.cancel}, cancelling).ending,
              Ending::Interrupted);
}

// Whatever is kept of a file counts against the budget, to the byte: a three-vertex matrix takes
// 36 bytes of weights and a row pointer per vertex (60 bytes in all on a 64-bit system, 48 on a
// 32-bit one); a header word may take a quarter of the budget (22 characters of 88); two nodes take
// their matrix and 16 bytes of coordinates, and a coordinate a quarter of what is left (3
// characters of 12). A file short of its data is cut whatever the budget, also when its bytes
// would do for its data (here 8 of 9 weights, with blanks to spare). A cancelled load stops, even
// on a file that never ends.
TEST(TsplibReader, LoadsStayWithinTheirLimits) {
    const std::string three = matrixBody + "0 1 2 3 0 4 5 6 0";
    const std::string twoNodes = coordsBody + "1 0 0 2 100 0";
    const std::uint64_t threeBytes = 3 * 3 * 4 + 3 * sizeof(void*);
    const std::uint64_t twoNodesBytes = 2 * 2 * 4 + 2 * sizeof(void*) + 16 + 12;
    const std::tuple<TsplibFormat, std::string, std::uint64_t, Ending> cases[] = {
        {matrix, head + "3" + three, threeBytes, Ending::Finished},
        {matrix, head + "3" + three, threeBytes - 1, Ending::OutOfMemory},
        {matrix, head + std::string(21, '0') + "3" + three, 88, Ending::Finished},
        {matrix, head + std::string(21, '0') + "3" + three, 87, Ending::OutOfMemory},
        {coords, head + "2" + twoNodes, twoNodesBytes, Ending::Finished},
        {coords, head + "2" + twoNodes, twoNodesBytes - 1, Ending::OutOfMemory},
        // Three nodes take nine words: six, even with blanks to spare, are not all of them.
        {coords, head + "3" + twoNodes + std::string(10, ' '), 40, Ending::Refused},
        {matrix, head + "3" + matrixBody + "0 1 2 3 0 4 5 6  ", threeBytes - 1, Ending::Refused},
        {matrix, head + "300" + three, 100, Ending::Refused},
        {matrix, head + "300" + three, std::uint64_t{1} << 40, Ending::Refused},
    };
    for (const auto& [format, text, budget, ending] : cases) {
        EXPECT_EQ(load(text, format, {.memoryBudgetBytes = budget}).ending, ending)
            << text << " within " << budget;
    }
    const std::atomic<bool> cancel{true};
    EXPECT_EQ(readTsplibFile("/proc/self/pagemap", matrix, {.cancel = &cancel}).ending,
              Ending::Interrupted);
}

} // namespace
} // namespace komiwojazer
