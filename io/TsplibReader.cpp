#include "io/TsplibReader.h"

#include "io/Euclidean.h"
#include "io/TokenReader.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace komiwojazer {
namespace {

using Load = Outcome<TsplibInstance>;

// The keywords that lead to one layout's data section.
struct Layout {
    std::string_view formatKeyword;  // the header entry that names the layout
    std::string_view formatValue;    // the only value of that entry that this reader understands
    std::string_view sectionKeyword; // the word right before the data
};

constexpr std::string_view dimensionKeyword = "DIMENSION:";
constexpr Layout fullMatrixLayout{"EDGE_WEIGHT_FORMAT:", "FULL_MATRIX", "EDGE_WEIGHT_SECTION"};
constexpr Layout euclideanLayout{"EDGE_WEIGHT_TYPE:", "EUC_2D", "NODE_COORD_SECTION"};

Load endedWith(Ending ending) {
    return {ending, {}};
}

Load refused(TsplibRefusal refusal, std::string detail = {}) {
    Load load{Ending::Refused, {}};
    load.result.refusal = refusal;
    load.result.detail = std::move(detail);
    return load;
}

// What a read that stopped short ends the load with, where the end of the file means atEnd:
// nothing when it did not stop short.
std::optional<Load> stoppedShort(Shortfall shortfall, TsplibRefusal atEnd,
                                 std::string_view detail = {}) {
    switch (shortfall) {
    case Shortfall::None:
        return std::nullopt;
    case Shortfall::Cancelled:
        return endedWith(Ending::Interrupted);
    case Shortfall::TooLong:
        return endedWith(Ending::OutOfMemory);
    case Shortfall::EndOfFile:
        break;
    }
    return refused(atEnd, std::string(detail));
}

// The longest word kept whole (a header value, a coordinate) with the given memory left; a word's
// share is a size that size_t holds.
std::size_t wordLimit(std::uint64_t memoryLeft) {
    return static_cast<std::size_t>(wordShare(memoryLeft));
}

// The fewest bytes that count words take after a keyword: a blank before each, and a character.
std::uint64_t leastBytesFor(std::uint64_t count) {
    return multiplyBytes(count, 2);
}

// Reads one instance in three steps, each of which may end the load and says why: the header, the
// room the data needs in the file and in memory, and the data.
class InstanceReader {
public:
    InstanceReader(TokenReader& reader, TsplibFormat format, const RunLimits& limits)
        : reader(reader), euclidean(format == TsplibFormat::Euclidean2D),
          layout(euclidean ? euclideanLayout : fullMatrixLayout), limits(limits) {}

    Load read() {
        if (std::optional<Load> ended = readHeader()) {
            return std::move(*ended);
        }
        if (std::optional<Load> ended = makeRoom()) {
            return std::move(*ended);
        }
        Load load = euclidean ? readEuclidean() : readFullMatrix();
        if (load.ending == Ending::Finished) {
            load.result.graph = std::move(graph);
            load.result.dimension = static_cast<std::int32_t>(n);
        }
        return load;
    }

private:
    // The dimension, the format value and the section keyword, checked in this order: the format
    // value before the dimension's sign.
    std::optional<Load> readHeader() {
        std::string formatValue;
        const std::size_t longest = wordLimit(limits.memoryBudgetBytes);
        if (auto ended = stoppedShort(reader.skipTo(dimensionKeyword),
                                      TsplibRefusal::MissingKeyword, dimensionKeyword)) {
            return ended;
        }
        if (auto ended =
                stoppedShort(reader.next(dimensionToken, longest), TsplibRefusal::Incomplete)) {
            return ended;
        }
        if (auto ended = stoppedShort(reader.skipTo(layout.formatKeyword),
                                      TsplibRefusal::MissingKeyword, layout.formatKeyword)) {
            return ended;
        }
        if (auto ended =
                stoppedShort(reader.next(formatValue, longest), TsplibRefusal::Incomplete)) {
            return ended;
        }
        if (formatValue != layout.formatValue) {
            return refused(TsplibRefusal::UnsupportedFormat, std::move(formatValue));
        }
        dimension = std::strtol(dimensionToken.c_str(), nullptr, 10);
        if (dimension < 0) {
            return refused(TsplibRefusal::InvalidDimension, std::move(dimensionToken));
        }
        return stoppedShort(reader.skipTo(layout.sectionKeyword), TsplibRefusal::MissingKeyword,
                            layout.sectionKeyword);
    }

    // Whether the data fits, in the file and then in memory. A file cut short is cut whatever
    // memory the machine has free: a file that cannot hold its data by its size is refused at
    // once; only one that holds every word of it is too large.
    std::optional<Load> makeRoom() {
        const auto count = static_cast<std::uint64_t>(dimension);
        const std::uint64_t words =
            euclidean ? multiplyBytes(count, 3) : multiplyBytes(count, count);
        if (fileTooShortFor(words)) {
            return refused(TsplibRefusal::Incomplete);
        }
        const std::uint64_t coordinateBytes =
            euclidean ? bytesOf<float>(multiplyBytes(count, 2)) : 0;
        const std::uint64_t instanceBytes = addBytes(ArrayGraph::bytesFor(count), coordinateBytes);
        // A count above the signed 32-bit range is far beyond any matrix that fits in memory.
        if (dimension > std::numeric_limits<std::int32_t>::max() ||
            !fitsBudget(instanceBytes, limits.memoryBudgetBytes)) {
            return stoppedShort(reader.skip(words), TsplibRefusal::Incomplete)
                .value_or(endedWith(Ending::OutOfMemory));
        }
        n = static_cast<std::uint32_t>(dimension);
        graphBudget = limits.memoryBudgetBytes - coordinateBytes;
        memoryLeft = limits.memoryBudgetBytes - instanceBytes;
        return std::nullopt;
    }

    // Whether what is left of the file is too short to hold count words; files whose size the
    // system does not know are never judged so.
    [[nodiscard]] bool fileTooShortFor(std::uint64_t count) const {
        const std::uint64_t size = reader.size();
        return size != 0 && size - std::min(size, reader.offset()) < leastBytesFor(count);
    }

    // The matrix, filled row by row; the diagonal is read but never stored.
    Load readFullMatrix() {
        if (!makeGraph()) {
            return endedWith(Ending::OutOfMemory);
        }
        for (std::uint32_t i = 0; i < n; ++i) {
            for (std::uint32_t j = 0; j < n; ++j) {
                std::uint32_t weight = 0;
                // Checked here first: this runs for every weight, the call only at the end.
                if (const Shortfall read = reader.nextWeight(weight); read != Shortfall::None) {
                    return *stoppedShort(read, TsplibRefusal::Incomplete);
                }
                if (i != j) {
                    graph->addEdge(i, j, weight);
                }
            }
        }
        return endedWith(Ending::Finished);
    }

    // n records (index ignored, x, y), read before the matrix is made, so that a file cut short
    // never costs a matrix; then every pair gets its rounded distance in both directions.
    Load readEuclidean() {
        std::vector<float> xs;
        std::vector<float> ys;
        xs.reserve(n);
        ys.reserve(n);
        const std::size_t longest = wordLimit(memoryLeft);
        std::string x;
        std::string y;
        for (std::uint32_t k = 0; k < n; ++k) {
            Shortfall read = reader.skip();
            read = read == Shortfall::None ? reader.next(x, longest) : read;
            read = read == Shortfall::None ? reader.next(y, longest) : read;
            if (auto ended = stoppedShort(read, TsplibRefusal::Incomplete)) {
                return std::move(*ended);
            }
            xs.push_back(coordinateOf(x));
            ys.push_back(coordinateOf(y));
        }
        if (!makeGraph()) {
            return endedWith(Ending::OutOfMemory);
        }
        // d(j, i) equals d(i, j) bit for bit: a - b is exactly -(b - a) and the squares match.
        for (std::uint32_t i = 0; i < n; ++i) {
            if (limits.cancelled()) {
                return endedWith(Ending::Interrupted);
            }
            for (std::uint32_t j = i + 1; j < n; ++j) {
                const std::uint32_t weight = euclideanWeight(xs[i] - xs[j], ys[i] - ys[j]);
                graph->addEdge(i, j, weight);
                graph->addEdge(j, i, weight);
            }
        }
        return endedWith(Ending::Finished);
    }

    bool makeGraph() {
        graph = ArrayGraph::tryCreate(n, graphBudget);
        return graph != nullptr;
    }

    TokenReader& reader;
    bool euclidean;
    const Layout& layout;
    const RunLimits& limits;
    std::string dimensionToken;        // the word after DIMENSION:
    long dimension = 0;                // that word as strtol reads it
    std::uint32_t n = 0;               // the vertex count, once it is known to fit
    std::uint64_t graphBudget = 0;     // the budget less the coordinates
    std::uint64_t memoryLeft = 0;      // the budget less the whole instance
    std::unique_ptr<ArrayGraph> graph; // the new instance, once it is made
};

} // namespace

Outcome<TsplibInstance> readTsplibFile(const std::string& fileName, TsplibFormat format,
                                       const RunLimits& limits, FileSystem& files) {
    try {
        TokenReader reader(fileName, limits, files);
        if (!reader.isOpen()) {
            return refused(TsplibRefusal::MissingFile);
        }
        return InstanceReader(reader, format, limits).read();
    } catch (const std::bad_alloc&) {
        return endedWith(Ending::OutOfMemory);
    }
}

} // namespace komiwojazer
