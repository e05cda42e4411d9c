#include "solvers/tabu/FullScanNeighbourhood.h"

#include "solvers/tabu/VectorKernel.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace komiwojazer {
namespace {

// The key of a pair that may not be taken; above every key of an admissible pair.
template <class Key> inline constexpr Key blockedKey = std::numeric_limits<Key>::max();

// Everything a scan reads.
struct ScanInput {
    const std::uint32_t* byPosition; // n*n weights between positions
    const std::uint32_t* transposed; // its transpose
    const std::uint32_t* edgePairs;  // the two edges at each position
    const TabuMemory* memory;        // which pairs are tabu
    std::uint32_t n;                 // vertex count
    std::uint32_t length;            // length of the route stood on
};

// What one row of pairs (i, j) reads; a pair's length is the route's plus its changeOfSwap.
struct Row {
    const std::uint32_t* intoJ;     // byPosition row i-1: the edge from position i-1 into j
    const std::uint32_t* fromJ;     // transposed row i+1: the edge from j into position i+1
    const std::uint32_t* fromI;     // byPosition row i: the edge from i into position j+1
    const std::uint32_t* intoI;     // transposed row i: the edge from position j-1 into i
    const std::uint32_t* edgePairs; // the two route edges at position j
    const std::uint8_t* tabu;       // 1 where the pair (i, j) is tabu, else 0
    std::uint32_t length;           // length of the route stood on
    std::uint32_t edgesAtI;         // the two route edges at position i
    std::uint32_t adjacent;         // length after exchanging i and i+1
};

inline Row rowAt(const ScanInput& in, std::uint32_t i) {
    const std::size_t n = in.n;
    const std::uint32_t* before = in.byPosition + (i - 1) * n;
    const std::uint32_t* own = in.byPosition + i * n;
    const std::uint32_t* after = own + n;
    const std::uint32_t edgesAtI = in.edgePairs[i];
    const std::uint32_t adjacent =
        in.length +
        changeOfAdjacentSwap(before[i + 1], after[i], own[i + 2], edgesAtI, after[i + 2]);
    return {before,       in.transposed + (i + 1) * n, own,       in.transposed + i * n,
            in.edgePairs, in.memory->flagRow(i),       in.length, edgesAtI,
            adjacent};
}

// The length after exchanging i and j, j >= i+2.
inline std::uint32_t pairLength(const Row& row, std::size_t j) {
    return row.length + changeOfSwap(row.intoJ[j], row.fromJ[j], row.intoI[j - 1], row.fromI[j + 1],
                                     row.edgesAtI, row.edgePairs[j]);
}

// Without branches, so that the row loop vectorizes: a blocked pair's key gets every bit set.
template <class Key> inline Key keyOf(std::uint32_t length, std::uint8_t tabu, Key threshold) {
    const Key key = length;
    const Key blocked = Key{tabu} & Key{key >= threshold};
    return key | (Key{0} - blocked);
}

template <class Key> inline Key pairKey(const Row& row, std::size_t j, Key threshold) {
    return keyOf(pairLength(row, j), row.tabu[j], threshold);
}

// minima[i] = the least key of the pairs (i, j), for 1 <= i <= n-3.
template <class Key>
[[gnu::always_inline]] inline void rowMinima(const ScanInput& in, Key threshold, Key* minima) {
    const std::size_t to = std::size_t{in.n} - 1;
    for (std::uint32_t i = 1; i + 3 <= in.n; ++i) {
        const Row row = rowAt(in, i);
        Key best = keyOf(row.adjacent, row.tabu[i + 1], threshold);
        if (in.memory->rowHasTabu(i)) {
            for (std::size_t j = std::size_t{i} + 2; j < to; ++j) {
                best = std::min(best, pairKey(row, j, threshold));
            }
        } else {
            for (std::size_t j = std::size_t{i} + 2; j < to; ++j) {
                best = std::min(best, Key{pairLength(row, j)});
            }
        }
        minima[i] = best;
    }
}

KOMIWOJAZER_VECTOR_KERNEL void rowMinima32(const ScanInput& in, std::uint32_t threshold,
                                           std::uint32_t* minima) {
    rowMinima(in, threshold, minima);
}

KOMIWOJAZER_VECTOR_KERNEL void rowMinima64(const ScanInput& in, std::uint64_t threshold,
                                           std::uint64_t* minima) {
    rowMinima(in, threshold, minima);
}

} // namespace

FullScanNeighbourhood::FullScanNeighbourhood(const WeightMatrix& weights, const TabuMemory& memory)
    // Below the all-ones value no length wraps and no admissible key can meet the blocked one.
    : memory(memory), wideKeys(weights.lengthBound() >= noValue), positions(weights) {
    const std::uint32_t n = weights.getVertexNumber();
    if (wideKeys) {
        wideMinima.resize(n);
    } else {
        narrowMinima.resize(n);
    }
}

std::uint64_t FullScanNeighbourhood::bytesFor(std::uint64_t n) {
    // The position tables, then the row minima of one width or the other.
    return addBytes(PositionWeights::bytesFor(n), bytesOf<std::uint64_t>(n));
}

FullScanNeighbourhood::Choice FullScanNeighbourhood::bestAdmissible(bool haveBest,
                                                                    std::uint32_t bestLength) {
    if (wideKeys) {
        return scan<std::uint64_t>(haveBest ? bestLength : std::uint64_t{1} << 32, wideMinima);
    }
    // Every length is below the all-ones value here, so it serves as "no best yet".
    return scan<std::uint32_t>(haveBest ? bestLength : blockedKey<std::uint32_t>, narrowMinima);
}

template <class Key>
FullScanNeighbourhood::Choice FullScanNeighbourhood::scan(Key threshold,
                                                          std::vector<Key>& minima) const {
    const std::uint32_t n = positions.getVertexNumber();
    const ScanInput in{
        positions.from(0),    positions.into(0), positions.getEdgePairs(), &memory, n,
        positions.getLength()};
    if constexpr (sizeof(Key) == sizeof(std::uint32_t)) {
        rowMinima32(in, threshold, minima.data());
    } else {
        rowMinima64(in, threshold, minima.data());
    }
    // Rows in ascending order and strict improvement keep the earliest pair among equal keys.
    Key bestKey = blockedKey<Key>;
    std::uint32_t i = 0;
    for (std::uint32_t row = 1; row + 3 <= n; ++row) {
        if (minima[row] < bestKey) {
            bestKey = minima[row];
            i = row;
        }
    }
    if (bestKey == blockedKey<Key>) {
        return {};
    }
    const Row row = rowAt(in, i);
    if (keyOf(row.adjacent, row.tabu[i + 1], threshold) == bestKey) {
        return {true, i, i + 1, row.adjacent};
    }
    std::size_t j = std::size_t{i} + 2;
    while (pairKey(row, j, threshold) != bestKey) {
        ++j;
    }
    return {true, i, static_cast<std::uint32_t>(j), pairLength(row, j)};
}

} // namespace komiwojazer
