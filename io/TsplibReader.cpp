#include "io/TsplibReader.h"

#include "io/Words.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <fcntl.h>
#include <limits>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace komiwojazer {
namespace {

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
// a device) is refused; O_NONBLOCK keeps a FIFO without a writer from blocking the open. A name
// with a NUL byte is refused too: the system would open the file named by its part before the NUL.
class InputFile {
public:
    explicit InputFile(const std::string& fileName) {
        if (fileName.find('\0') != std::string::npos) {
            return;
        }
        fd = ::open(fileName.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        struct stat info {};
        if (fd >= 0 && (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))) {
            ::close(fd);
            fd = -1;
        }
        size = fd >= 0 ? static_cast<std::uint64_t>(info.st_size) : 0;
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
    // The size the file had when it was opened; 0 also for files whose size the system does not
    // know, such as those under /proc, which may hold data all the same.
    [[nodiscard]] std::uint64_t getSize() const { return size; }

private:
    int fd = -1;            // -1 when the file could not be opened
    std::uint64_t size = 0; // see getSize
};

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

// Splits a file into whitespace-separated tokens, reading it in large blocks. A cancelled load
// reads as a file that ends, so every reading loop stops; cancelled() tells the two apart.
class TokenReader {
public:
    TokenReader(int fd, const RunLimits& limits) : fd(fd), limits(limits), block(blockSize) {}

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

    // Moves past the next count tokens; false when the file ends first.
    bool skip(std::uint64_t count = 1) {
        for (std::uint64_t k = 0; k < count; ++k) {
            if (!readToken([](const char*, const char*) {})) {
                return false;
            }
        }
        return true;
    }

    // Reads the next token whole into token; false at the end of the file. A token longer than
    // maxLength is read to its end but not kept, and tooLong() then says so.
    bool next(std::string& token, std::size_t maxLength) {
        BoundedWord word(maxLength);
        const bool read =
            readToken([&](const char* begin, const char* end) { word.append(begin, end); });
        overlong = overlong || word.tooLong();
        token = word.take();
        return read;
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

    // The bytes of the file consumed so far.
    [[nodiscard]] std::uint64_t offset() const { return consumed - (filled - position); }
    [[nodiscard]] bool cancelled() const { return stopped; }
    [[nodiscard]] bool tooLong() const { return overlong; }

private:
    static constexpr std::size_t blockSize = std::size_t{1} << 16;
    static constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";

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

    // Reads the next block; false at the end of the file or of the load. A read error ends the
    // file as well: whatever was still missing is reported the same way.
    bool refill() {
        position = 0;
        filled = 0;
        if (limits.cancelled()) {
            stopped = true;
            return false;
        }
        for (;;) {
            const ssize_t count = ::read(fd, block.data(), block.size());
            if (count > 0) {
                filled = static_cast<std::size_t>(count);
                // Editors on Windows often begin a UTF-8 file with a byte order mark; it is no
                // word.
                if (consumed == 0 &&
                    std::string_view(block.data(), filled).starts_with(byteOrderMark)) {
                    position = byteOrderMark.size();
                }
                consumed += filled;
                return true;
            }
            if (count == 0 || errno != EINTR) {
                return false;
            }
        }
    }

    int fd;                     // the open file, owned by the caller
    const RunLimits& limits;    // the load's cancel flag
    std::vector<char> block;    // the current block of the file
    std::size_t position = 0;   // the next unread character of block
    std::size_t filled = 0;     // the number of valid characters in block
    std::uint64_t consumed = 0; // the bytes read from the file into blocks
    bool stopped = false;       // the load was cancelled
    bool overlong = false;      // a token was longer than its reader allowed
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

// The longest token kept whole (a header value, a coordinate) with the given memory left; a word's
// share is a size that size_t holds.
std::size_t tokenLimit(std::uint64_t memoryLeft) {
    return static_cast<std::size_t>(wordShare(memoryLeft));
}

// The fewest bytes that count tokens take after a keyword: a blank before each, and a character.
std::uint64_t leastBytesFor(std::uint64_t count) {
    return multiplyBytes(count, 2);
}

Outcome<TsplibInstance> ended(Ending ending) {
    return {ending, {}};
}

Outcome<TsplibInstance> refused(TsplibRefusal refusal, std::string detail = {}) {
    Outcome<TsplibInstance> outcome{Ending::Refused, {}};
    outcome.result.refusal = refusal;
    outcome.result.detail = std::move(detail);
    return outcome;
}

// Reads one instance; every way a load can end, a cancelled one included, comes back as its
// outcome.
class InstanceReader {
public:
    InstanceReader(const InputFile& file, TsplibFormat format, const RunLimits& limits)
        : file(file),
          layout(format == TsplibFormat::FullMatrix ? fullMatrixLayout : euclideanLayout),
          euclidean(format == TsplibFormat::Euclidean2D), limits(limits),
          reader(file.descriptor(), limits) {}

    // Checks run in this order: the format value before the dimension's sign, then the section
    // keyword, then whether the file is long enough for its data, then memory, then the data.
    Outcome<TsplibInstance> read() {
        std::string dimensionToken;
        std::string formatValue;
        if (!reader.skipTo(dimensionKeyword)) {
            return cut(TsplibRefusal::MissingKeyword, std::string(dimensionKeyword));
        }
        if (!nextWhole(dimensionToken, limits.memoryBudgetBytes)) {
            return cut(TsplibRefusal::Incomplete);
        }
        if (!reader.skipTo(layout.formatKeyword)) {
            return cut(TsplibRefusal::MissingKeyword, std::string(layout.formatKeyword));
        }
        if (!nextWhole(formatValue, limits.memoryBudgetBytes)) {
            return cut(TsplibRefusal::Incomplete);
        }
        if (formatValue != layout.formatValue) {
            return refused(TsplibRefusal::UnsupportedFormat, std::move(formatValue));
        }
        const long dimension = std::strtol(dimensionToken.c_str(), nullptr, 10);
        if (dimension < 0) {
            return refused(TsplibRefusal::InvalidDimension, std::move(dimensionToken));
        }
        if (!reader.skipTo(layout.sectionKeyword)) {
            return cut(TsplibRefusal::MissingKeyword, std::string(layout.sectionKeyword));
        }
        // A file cut short is cut whatever memory the machine has free: a file that cannot hold its
        // data by its size is refused at once; only one that holds every token of it is too large.
        const auto count = static_cast<std::uint64_t>(dimension);
        const std::uint64_t tokens =
            euclidean ? multiplyBytes(count, 3) : multiplyBytes(count, count);
        if (fileTooShortFor(tokens)) {
            return refused(TsplibRefusal::Incomplete);
        }
        const std::uint64_t coordinateBytes =
            euclidean ? bytesOf<float>(multiplyBytes(count, 2)) : 0;
        const std::uint64_t instanceBytes = addBytes(ArrayGraph::bytesFor(count), coordinateBytes);
        // A count above the signed 32-bit range is far beyond any matrix that fits in memory.
        if (dimension > std::numeric_limits<std::int32_t>::max() ||
            !fitsBudget(instanceBytes, limits.memoryBudgetBytes)) {
            return reader.skip(tokens) ? ended(Ending::OutOfMemory)
                                       : cut(TsplibRefusal::Incomplete);
        }
        n = static_cast<std::uint32_t>(dimension);
        graphBudget = limits.memoryBudgetBytes - coordinateBytes;
        memoryLeft = limits.memoryBudgetBytes - instanceBytes;
        Outcome<TsplibInstance> outcome = euclidean ? readEuclidean() : readFullMatrix();
        if (outcome.ending == Ending::Finished) {
            outcome.result.graph = std::move(graph);
            outcome.result.dimension = static_cast<std::int32_t>(dimension);
        }
        return outcome;
    }

private:
    // The file ended before what the load looked for: the refusal, unless the load was cancelled
    // or a token was too long to hold, which ended the reading as well.
    [[nodiscard]] Outcome<TsplibInstance> cut(TsplibRefusal refusal,
                                              std::string detail = {}) const {
        if (reader.cancelled()) {
            return ended(Ending::Interrupted);
        }
        if (reader.tooLong()) {
            return ended(Ending::OutOfMemory);
        }
        return refused(refusal, std::move(detail));
    }

    // Whether what is left of the file is too short to hold count tokens; files whose size the
    // system does not know are never judged so.
    [[nodiscard]] bool fileTooShortFor(std::uint64_t count) const {
        const std::uint64_t size = file.getSize();
        return size != 0 && size - std::min(size, reader.offset()) < leastBytesFor(count);
    }

    bool nextWhole(std::string& token, std::uint64_t memory) {
        return reader.next(token, tokenLimit(memory)) && !reader.tooLong();
    }

    // The matrix, filled row by row; the diagonal is read but never stored.
    Outcome<TsplibInstance> readFullMatrix() {
        if (!makeGraph()) {
            return ended(Ending::OutOfMemory);
        }
        for (std::uint32_t i = 0; i < n; ++i) {
            for (std::uint32_t j = 0; j < n; ++j) {
                std::uint32_t weight = 0;
                if (!reader.nextWeight(weight)) {
                    return cut(TsplibRefusal::Incomplete);
                }
                if (i != j) {
                    graph->addEdge(i, j, weight);
                }
            }
        }
        return ended(Ending::Finished);
    }

    // n records (index ignored, x, y), read before the matrix is made, so that a file cut short
    // never costs a matrix; then every pair gets its rounded distance in both directions.
    Outcome<TsplibInstance> readEuclidean() {
        std::vector<float> xs;
        std::vector<float> ys;
        xs.reserve(n);
        ys.reserve(n);
        std::string token;
        for (std::uint32_t k = 0; k < n; ++k) {
            if (!reader.skip() || !nextWhole(token, memoryLeft)) {
                return cut(TsplibRefusal::Incomplete);
            }
            xs.push_back(toSingle(std::strtod(token.c_str(), nullptr)));
            if (!nextWhole(token, memoryLeft)) {
                return cut(TsplibRefusal::Incomplete);
            }
            ys.push_back(toSingle(std::strtod(token.c_str(), nullptr)));
        }
        if (!makeGraph()) {
            return ended(Ending::OutOfMemory);
        }
        // d(j, i) equals d(i, j) bit for bit: a - b is exactly -(b - a) and the squares match.
        for (std::uint32_t i = 0; i < n; ++i) {
            if (limits.cancelled()) {
                return ended(Ending::Interrupted);
            }
            for (std::uint32_t j = i + 1; j < n; ++j) {
                const std::uint32_t weight = euclideanWeight(xs[i] - xs[j], ys[i] - ys[j]);
                graph->addEdge(i, j, weight);
                graph->addEdge(j, i, weight);
            }
        }
        return ended(Ending::Finished);
    }

    bool makeGraph() {
        graph = ArrayGraph::tryCreate(n, graphBudget);
        return graph != nullptr;
    }

    const InputFile& file;
    const Layout& layout;
    bool euclidean;
    const RunLimits& limits;
    TokenReader reader;
    std::uint32_t n = 0;               // the vertex count, once the header is read
    std::uint64_t graphBudget = 0;     // the budget less the coordinates
    std::uint64_t memoryLeft = 0;      // the budget less the whole instance
    std::unique_ptr<ArrayGraph> graph; // the new instance, once it is made
};

} // namespace

Outcome<TsplibInstance> readTsplibFile(const std::string& fileName, TsplibFormat format,
                                       const RunLimits& limits) {
    const InputFile file(fileName);
    if (!file.isOpen()) {
        return refused(TsplibRefusal::MissingFile);
    }
    try {
        return InstanceReader(file, format, limits).read();
    } catch (const std::bad_alloc&) {
        return ended(Ending::OutOfMemory);
    }
}

} // namespace komiwojazer
