#include "io/TsplibReader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace komiwojazer {
namespace {

namespace fs = std::filesystem;
using S = TsplibLoad::Status;
constexpr TsplibFormat matrix = TsplibFormat::FullMatrix;
constexpr TsplibFormat coords = TsplibFormat::Euclidean2D;

// A fresh temporary directory that holds the fixtures of one test.
struct Fixtures {
    Fixtures() { fs::create_directories(dir); }
    ~Fixtures() { fs::remove_all(dir); }

    TsplibLoad load(const std::string& text, TsplibFormat format) {
        const fs::path path = dir / std::to_string(files++);
        std::ofstream(path, std::ios::binary) << text;
        return readTsplibFile(path.string(), format);
    }

    static inline int made = 0; // tells the directories of one process apart
    fs::path dir = fs::path(::testing::TempDir()) /
                   ("tsplib-" + std::to_string(::getpid()) + "-" + std::to_string(made++));
    int files = 0; // names the next fixture
};

const std::string head = "NAME: t\nDIMENSION: ";
const std::string matrixBody = "\nEDGE_WEIGHT_FORMAT: FULL_MATRIX \nEDGE_WEIGHT_SECTION\n";
const std::string coordsBody = "\nEDGE_WEIGHT_TYPE: EUC_2D\nNODE_COORD_SECTION\n";

std::vector<std::uint32_t> weightsOf(const ArrayGraph& graph) {
    std::vector<std::uint32_t> weights;
    for (std::uint32_t i = 0; i < graph.getVertexNumber(); ++i) {
        for (std::uint32_t j = 0; j < graph.getVertexNumber(); ++j) {
            weights.push_back(graph.getWeight(i, j));
        }
    }
    return weights;
}

TEST(TsplibReader, FullMatrixIgnoresDiagonalAndCapsHeavyWeights) {
    const TsplibLoad load =
        Fixtures().load(head + "3" + matrixBody + "888 5 7\n6 888 1000\n2 3 888\nEOF", matrix);
    ASSERT_EQ(load.status, S::Loaded);
    EXPECT_EQ(load.dimension, 3);
    EXPECT_EQ(weightsOf(*load.graph), (std::vector<std::uint32_t>{0, 5, 7, 6, 0, 900, 2, 3, 0}));
}

TEST(TsplibReader, TabsCarriageReturnsAndKeywordsInCommentsSeparateTokens) {
    // The DIMENSION: inside the comment comes first, so it counts; index tokens are words.
    const TsplibLoad load = Fixtures().load("COMMENT: see DIMENSION:\t3 below\r\nDIMENSION: 7\r\n"
                                            "EDGE_WEIGHT_TYPE:\vEUC_2D\r\nNODE_COORD_SECTION\r\n"
                                            "a\t0\t0\r\nb\f3\t4\r\nc 0 -6 trailing junk",
                                            coords);
    ASSERT_EQ(load.status, S::Loaded);
    EXPECT_EQ(load.dimension, 3);
    EXPECT_EQ(weightsOf(*load.graph), (std::vector<std::uint32_t>{0, 5, 6, 5, 0, 10, 6, 10, 0}));
}

TEST(TsplibReader, DimensionThatIsNotPositiveLoadsEmptyGraph) {
    for (const char* dimension : {"0", "-0", "none"}) {
        const TsplibLoad load = Fixtures().load(head + dimension + matrixBody, matrix);
        ASSERT_EQ(load.status, S::Loaded) << dimension;
        EXPECT_EQ(load.dimension, 0);
        EXPECT_EQ(load.graph->getVertexNumber(), 0u);
    }
}

TEST(TsplibReader, TokensAcrossReadBlocks) {
    const std::uint32_t n = 300; // about 400 KB of weights, so many tokens straddle blocks
    std::string weights;
    for (std::uint32_t k = 0; k < n * n; ++k) {
        weights += std::to_string(k % 1013) + (k % 7 == 0 ? "\n" : "  ");
    }
    // A long token that begins with the keyword is not the keyword.
    Fixtures fixtures;
    const TsplibLoad load = fixtures.load("COMMENT: " + std::string(200000, 'x') +
                                              " DIMENSION:" + std::string(100000, '9') + " " +
                                              head + "300" + matrixBody + weights,
                                          matrix);
    ASSERT_EQ(load.status, S::Loaded);
    ASSERT_EQ(load.dimension, 300);
    const std::vector<std::uint32_t> stored = weightsOf(*load.graph);
    for (std::uint32_t k = 0; k < n * n; ++k) {
        const std::uint32_t expected = k / n == k % n ? 0 : (k % 1013 >= 1000 ? 900 : k % 1013);
        ASSERT_EQ(stored[k], expected) << k;
    }
    const TsplibLoad padded =
        fixtures.load(head + "2" + matrixBody + "0 " + std::string(150000, '0') + "7 1 0", matrix);
    ASSERT_EQ(padded.status, S::Loaded);
    EXPECT_EQ(padded.graph->getWeight(0, 1), 7u);
}

// A token of the file and the weight that it leaves in the graph.
struct Conversion {
    const char* token;
    std::uint32_t weight;
    friend std::ostream& operator<<(std::ostream& out, const Conversion& c) {
        return out << '"' << c.token << "\" -> " << c.weight;
    }
};

class TsplibWeight : public ::testing::TestWithParam<Conversion> {};

TEST_P(TsplibWeight, ConvertsLikeStrtolAndCapsWhatIsNoWeight) {
    const TsplibLoad load =
        Fixtures().load(head + "2" + matrixBody + "0 " + GetParam().token + " 1 0", matrix);
    ASSERT_EQ(load.status, S::Loaded);
    EXPECT_EQ(load.graph->getWeight(0, 1), GetParam().weight);
    EXPECT_EQ(load.graph->getWeight(1, 0), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Tokens, TsplibWeight,
    ::testing::Values(Conversion{"999", 999}, Conversion{"1000", 900}, Conversion{"+7", 7},
                      Conversion{"12abc", 12}, Conversion{"abc", 0}, Conversion{"0x10", 0},
                      Conversion{"-0", 0}, Conversion{"-5", 900}, Conversion{"4294967295", 900},
                      Conversion{"4294967296", 900}, Conversion{"99999999999999999999999", 900}));

class TsplibDistance : public ::testing::TestWithParam<Conversion> {};

// The token holds x and y of the second node; the first one is at (0, 0).
TEST_P(TsplibDistance, RoundsSinglePrecisionLengthTiesToEven) {
    const TsplibLoad load =
        Fixtures().load(head + "2" + coordsBody + "first 0 0\nsecond " + GetParam().token, coords);
    ASSERT_EQ(load.status, S::Loaded);
    EXPECT_EQ(load.graph->getWeight(0, 1), GetParam().weight);
    EXPECT_EQ(load.graph->getWeight(1, 0), GetParam().weight);
}

INSTANTIATE_TEST_SUITE_P(Points, TsplibDistance,
                         ::testing::Values(Conversion{"3 4", 5}, Conversion{"0 2.5", 2},
                                           Conversion{"0 3.5", 4}, Conversion{"0 2.50000001", 2},
                                           Conversion{"1 2.291288", 2}, Conversion{"600 800", 900},
                                           Conversion{"0 998.5", 998}, Conversion{"0 999.5", 900},
                                           Conversion{"6.5e+02 0", 650}, Conversion{"0 0", 0},
                                           Conversion{"nan 0", 900}, Conversion{"1e300 0", 900},
                                           Conversion{"5e9 0", 900}));

struct Failure {
    const char* label;
    TsplibFormat format;
    std::string text;
    S status;
    std::string detail;
    // Named, so that the test framework does not print the raw bytes of the record.
    friend std::ostream& operator<<(std::ostream& out, const Failure& f) { return out << f.label; }
};

class TsplibFailure : public ::testing::TestWithParam<Failure> {};

TEST_P(TsplibFailure, ReturnsNoGraph) {
    const TsplibLoad load = Fixtures().load(GetParam().text, GetParam().format);
    EXPECT_EQ(load.status, GetParam().status);
    EXPECT_EQ(load.detail, GetParam().detail);
    EXPECT_EQ(load.graph, nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Files, TsplibFailure,
    ::testing::Values(
        Failure{"LowerDiagonal", matrix, "DIMENSION: 2 EDGE_WEIGHT_FORMAT: LOWER_DIAG_ROW 0 1 0",
                S::UnsupportedFormat, "LOWER_DIAG_ROW"},
        Failure{"LongerWord", matrix, "DIMENSION: 2 EDGE_WEIGHT_FORMAT: FULL_MATRIXX",
                S::UnsupportedFormat, "FULL_MATRIXX"},
        Failure{"Explicit", coords, "DIMENSION: 2 EDGE_WEIGHT_TYPE: EXPLICIT", S::UnsupportedFormat,
                "EXPLICIT"},
        Failure{"FormatFirst", coords, "DIMENSION: -2 EDGE_WEIGHT_TYPE: euc_2d",
                S::UnsupportedFormat, "euc_2d"},
        Failure{"Empty", matrix, "", S::MissingKeyword, "DIMENSION:"},
        Failure{"BlankBeforeColon", coords, "DIMENSION : 2" + coordsBody + "1 0 0 2 3 4",
                S::MissingKeyword, "DIMENSION:"},
        Failure{"Glued", matrix, "DIMENSION:2" + matrixBody + "0 1 1 0", S::MissingKeyword,
                "DIMENSION:"},
        Failure{"CoordsAsMatrix", matrix, head + "2" + coordsBody + "1 0 0 2 3 4",
                S::MissingKeyword, "EDGE_WEIGHT_FORMAT:"},
        Failure{"NoSection", coords, "DIMENSION: 2 EDGE_WEIGHT_TYPE: EUC_2D 1 0 0 2 3 4",
                S::MissingKeyword, "NODE_COORD_SECTION"},
        Failure{"NoDimensionValue", matrix, "DIMENSION:\n", S::Incomplete, ""},
        Failure{"NoFormatValue", matrix, "DIMENSION: 2 EDGE_WEIGHT_FORMAT:", S::Incomplete, ""},
        Failure{"Negative", matrix, head + "-3" + matrixBody, S::InvalidDimension, "-3"},
        Failure{"HugeNegative", matrix, head + "-99999999999999999999x" + matrixBody,
                S::InvalidDimension, "-99999999999999999999x"},
        Failure{"TooBig", matrix, head + "1000000" + matrixBody + "0 1 1 0", S::OutOfMemory, ""},
        Failure{"LowBitsSmall", matrix, head + "4294967298" + matrixBody + "0 1 1 0",
                S::OutOfMemory, ""},
        Failure{"EndsInRow", matrix, head + "3" + matrixBody + "0 1 2 3 0 4 5 6", S::Incomplete,
                ""},
        Failure{"EndsAtSection", matrix, head + "1" + matrixBody, S::Incomplete, ""},
        Failure{"NoY", coords, head + "2" + coordsBody + "1 0 0 2 3", S::Incomplete, ""},
        Failure{"NoRecord", coords, head + "3" + coordsBody + "1 0 0 2 3 4", S::Incomplete, ""}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(TsplibReader, MissingFileDirectoryAndPipeAreMissingFiles) {
    Fixtures fixtures;
    const fs::path pipe = fixtures.dir / "pipe";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    for (const fs::path& path : {fixtures.dir / "absent.atsp", fixtures.dir, pipe}) {
        const TsplibLoad load = readTsplibFile(path.string(), matrix);
        EXPECT_EQ(load.status, S::MissingFile) << path;
        EXPECT_EQ(load.graph, nullptr);
    }
}

} // namespace
} // namespace komiwojazer
