#include "io/TsplibReader.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <fcntl.h>
#include <limits>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace komiwojazer {
namespace {

using Status = TsplibLoad::Status;

constexpr std::uint32_t maxWeight = std::numeric_limits<std::uint32_t>::max();

// The keywords that lead to one layout's data section.
struct Layout {
    std::string_view formatKeyword;  // the header entry that names the layout
    std::string_view formatValue;    // the only value of that entry that this reader understands
    std::string_view sectionKeyword; // the token right before the data
};

constexpr std::string_view dimensionKeyword = "DIMENSION:";
constexpr Layout fullMatrixLayout{"EDGE_WEIGHT_FORMAT:", "FULL_MATRIX", "EDGE_WEIGHT_SECTION"};
constexpr Layout euclideanLayout{"EDGE_WEIGHT_TYPE:", "EUC_2D", "NODE_COORD_SECTION"};

// A readable regular file, open for the life of the object. Anything else (a directory, a pipe,
// a device) is refused; O_NONBLOCK keeps a FIFO without a writer from blocking the open.
class InputFile {
public:
    explicit InputFile(const std::string& fileName)
        : fd(::open(fileName.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)) {
        struct stat info {};
        if (fd >= 0 && (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))) {
            ::close(fd);
            fd = -1;
        }
    }
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;
    ~InputFile() {
        if (fd >= 0) {
            ::close(fd);
        }
    }

    [[nodiscard]] bool isOpen() const { return fd >= 0; }
    [[nodiscard]] int descriptor() const { return fd; }

private:
    int fd; // -1 when the file could not be opened
};

constexpr bool isBlank(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r'); // blank, \t, \n, \v, \f, \r
}

constexpr bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Converts a token the way strtol does in base 10, fed piece by piece so that a token of any
// length is read in constant memory. The result is a weight: a negative number or one above the
// 32-bit range cannot be a weight as written, so it becomes the heaviest one, which addEdge caps.
class WeightParser {
public:
    void feed(const char* begin, const char* end) {
        for (const char* c = begin; c != end && stage != Stage::Done; ++c) {
            if (stage == Stage::Sign && (*c == '+' || *c == '-')) {
                negative = *c == '-';
                stage = Stage::FirstDigit;
            } else if (isDigit(*c)) {
                value = std::min(value * 10 + static_cast<std::uint64_t>(*c - '0'), overflow);
                stage = Stage::Digits;
            } else {
                stage = Stage::Done;
            }
        }
    }

    [[nodiscard]] std::uint32_t weight() const {
        if (value == 0) {
            return 0;
        }
        return negative || value > maxWeight ? maxWeight : static_cast<std::uint32_t>(value);
    }

private:
    enum class Stage { Sign, FirstDigit, Digits, Done };
    // Any value above the 32-bit range gives the same weight; saturating here avoids overflow.
    static constexpr std::uint64_t overflow = std::uint64_t{maxWeight} + 1;

    Stage stage = Stage::Sign; // where in "[sign] digits" the next character falls
    bool negative = false;     // a minus sign came first
    std::uint64_t value = 0;   // the digits read so far, saturated at overflow
};

// Splits a file into whitespace-separated tokens, reading it in large blocks.
class TokenReader {
public:
    explicit TokenReader(int fd) : fd(fd), block(blockSize) {}

    // Moves past the next token equal to keyword; false when the file ends first.
    bool skipTo(std::string_view keyword) {
        for (;;) {
            std::size_t length = 0;
            bool matches = true;
            const bool read = readToken([&](const char* begin, const char* end) {
                const auto pieceLength = static_cast<std::size_t>(end - begin);
                matches = matches && length + pieceLength <= keyword.size() &&
                          std::equal(begin, end, keyword.begin() + length);
                length += pieceLength;
            });
            if (!read) {
                return false;
            }
            if (matches && length == keyword.size()) {
                return true;
            }
        }
    }

    // Moves past the next token; false at the end of the file.
    bool skip() {
        return readToken([](const char*, const char*) {});
    }

    // Reads the next token whole into token; false at the end of the file.
    bool next(std::string& token) {
        token.clear();
        return readToken([&](const char* begin, const char* end) { token.append(begin, end); });
    }

    // Reads the next token as a weight (see WeightParser); false at the end of the file.
    bool nextWeight(std::uint32_t& weight) {
        WeightParser parser;
        if (!readToken([&](const char* begin, const char* end) { parser.feed(begin, end); })) {
            return false;
        }
        weight = parser.weight();
        return true;
    }

private:
    static constexpr std::size_t blockSize = std::size_t{1} << 16;

    // Passes the next token to consume as one or more consecutive pieces (a token can span
    // blocks); false when only whitespace is left.
    template <typename Consume> bool readToken(Consume&& consume) {
        for (;;) {
            while (position < filled && isBlank(block[position])) {
                ++position;
            }
            if (position < filled) {
                break;
            }
            if (!refill()) {
                return false;
            }
        }
        for (;;) {
            const std::size_t start = position;
            while (position < filled && !isBlank(block[position])) {
                ++position;
            }
            consume(block.data() + start, block.data() + position);
            if (position < filled || !refill()) {
                return true;
            }
        }
    }

    // Reads the next block; false at the end of the file. A read error ends the file as well:
    // whatever was still missing is reported the same way.
    bool refill() {
        position = 0;
        filled = 0;
        for (;;) {
            const ssize_t count = ::read(fd, block.data(), block.size());
            if (count > 0) {
                filled = static_cast<std::size_t>(count);
                return true;
            }
            if (count == 0 || errno != EINTR) {
                return false;
            }
        }
    }

    int fd;                   // the open file, owned by the caller
    std::vector<char> block;  // the current block of the file
    std::size_t position = 0; // the next unread character of block
    std::size_t filled = 0;   // the number of valid characters in block
};

// A coordinate as the instance holds it. Narrowing a magnitude that single precision cannot hold
// is undefined in C++, so such values are made infinite here, as the hardware would round them.
float toSingle(double value) {
    constexpr double overflowThreshold = 0x1.ffffffp127; // halfway between FLT_MAX and 2^128
    constexpr float infinity = std::numeric_limits<float>::infinity();
    if (std::fabs(value) >= overflowThreshold) {
        return value < 0 ? -infinity : infinity;
    }
    return static_cast<float>(value);
}

// The rounded length of (dx, dy), all in single precision with ties to even. A length that is
// not a finite 32-bit number gets the heaviest weight, which addEdge caps.
std::uint32_t euclideanWeight(float dx, float dy) {
    const float rounded = std::nearbyint(std::sqrt(dx * dx + dy * dy));
    constexpr float weightRange = 4294967296.0f; // 2^32
    if (!(rounded < weightRange)) {              // NaN fails the comparison as well
        return maxWeight;
    }
    return static_cast<std::uint32_t>(rounded);
}

// Fills the matrix row by row; the diagonal is read but never stored. False if the file ends
// inside it.
bool readFullMatrix(TokenReader& reader, ArrayGraph& graph) {
    const std::uint32_t n = graph.getVertexNumber();
    for (std::uint32_t i = 0; i < n; ++i) {
        for (std::uint32_t j = 0; j < n; ++j) {
            std::uint32_t weight = 0;
            if (!reader.nextWeight(weight)) {
                return false;
            }
            if (i != j) {
                graph.addEdge(i, j, weight);
            }
        }
    }
    return true;
}

// Reads n records (index ignored, x, y) and gives every pair its rounded distance in both
// directions. False if the file ends inside the records.
bool readCoordinates(TokenReader& reader, ArrayGraph& graph) {
    const std::uint32_t n = graph.getVertexNumber();
    std::vector<float> xs;
    std::vector<float> ys;
    xs.reserve(n);
    ys.reserve(n);
    std::string token;
    for (std::uint32_t k = 0; k < n; ++k) {
        if (!reader.skip() || !reader.next(token)) {
            return false;
        }
        xs.push_back(toSingle(std::strtod(token.c_str(), nullptr)));
        if (!reader.next(token)) {
            return false;
        }
        ys.push_back(toSingle(std::strtod(token.c_str(), nullptr)));
    }
    // d(j, i) equals d(i, j) bit for bit: a - b is exactly -(b - a) and the squares match.
    for (std::uint32_t i = 0; i < n; ++i) {
        for (std::uint32_t j = i + 1; j < n; ++j) {
            const std::uint32_t weight = euclideanWeight(xs[i] - xs[j], ys[i] - ys[j]);
            graph.addEdge(i, j, weight);
            graph.addEdge(j, i, weight);
        }
    }
    return true;
}

TsplibLoad failure(Status status, std::string detail = {}) {
    TsplibLoad load;
    load.status = status;
    load.detail = std::move(detail);
    return load;
}

} // namespace

TsplibLoad readTsplibFile(const std::string& fileName, TsplibFormat format,
                          const RunLimits& limits) {
    const Layout& layout = format == TsplibFormat::FullMatrix ? fullMatrixLayout : euclideanLayout;
    const InputFile file(fileName);
    if (!file.isOpen()) {
        return failure(Status::MissingFile);
    }
    TokenReader reader(file.descriptor());

    std::string dimensionToken;
    if (!reader.skipTo(dimensionKeyword)) {
        return failure(Status::MissingKeyword, std::string(dimensionKeyword));
    }
    if (!reader.next(dimensionToken)) {
        return failure(Status::Incomplete);
    }

    std::string formatValue;
    if (!reader.skipTo(layout.formatKeyword)) {
        return failure(Status::MissingKeyword, std::string(layout.formatKeyword));
    }
    if (!reader.next(formatValue)) {
        return failure(Status::Incomplete);
    }
    if (formatValue != layout.formatValue) {
        return failure(Status::UnsupportedFormat, std::move(formatValue));
    }

    const long dimension = std::strtol(dimensionToken.c_str(), nullptr, 10);
    if (dimension < 0) {
        return failure(Status::InvalidDimension, std::move(dimensionToken));
    }
    if (!reader.skipTo(layout.sectionKeyword)) {
        return failure(Status::MissingKeyword, std::string(layout.sectionKeyword));
    }
    // A count above the signed 32-bit range is far beyond any matrix that fits in memory.
    if (dimension > std::numeric_limits<std::int32_t>::max()) {
        return failure(Status::OutOfMemory);
    }
    std::unique_ptr<ArrayGraph> graph =
        ArrayGraph::tryCreate(static_cast<std::uint64_t>(dimension), limits.memoryBudgetBytes);
    if (!graph) {
        return failure(Status::OutOfMemory);
    }

    const bool complete = format == TsplibFormat::FullMatrix ? readFullMatrix(reader, *graph)
                                                             : readCoordinates(reader, *graph);
    if (!complete) {
        return failure(Status::Incomplete);
    }
    TsplibLoad load;
    load.status = Status::Loaded;
    load.graph = std::move(graph);
    load.dimension = static_cast<std::int32_t>(dimension);
    return load;
}

} // namespace komiwojazer
