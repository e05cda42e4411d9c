#include "graph/ArrayGraph.h"

#include <algorithm>
#include <cstddef>
#include <limits>
#include <new>
#include <ostream>

namespace komiwojazer {
namespace {

// The size of a graph whose cells no block holds.
constexpr std::uint64_t saturated = std::numeric_limits<std::uint64_t>::max();

} // namespace

// The cells come zeroed from calloc. A large block is fresh memory from the system, zero already,
// so no time goes into clearing it and its pages are touched only as they are filled: a fill that
// stops early (a cut file, a Ctrl-C) never pays for the rest.
ArrayGraph::ArrayGraph(std::uint32_t n)
    : rows(new Cell*[n]), cells(static_cast<Cell*>(std::calloc(
                              std::max<std::size_t>(std::size_t{n} * n, 1), sizeof(Cell)))) {
    if (!cells) {
        throw std::bad_alloc();
    }
    vertexNumber = n;
    for (std::uint32_t i = 0; i < n; ++i) {
        rows[i] = cells.get() + std::size_t{i} * n;
    }
}

bool ArrayGraph::addEdge(std::uint32_t i, std::uint32_t j, std::uint32_t weight) {
    Cell& cell = rows[i][j];
    if (cell != 0) {
        return false;
    }
    cell = capWeight(weight);
    return true;
}

bool ArrayGraph::removeEdge(std::uint32_t i, std::uint32_t j) {
    Cell& cell = rows[i][j];
    if (cell == 0) {
        return false;
    }
    cell = 0;
    return true;
}

Ending ArrayGraph::displayGraph(std::ostream& out, const RunLimits& limits) const {
    for (std::uint32_t i = 0; i < vertexNumber; ++i) {
        for (std::uint32_t j = 0; j < vertexNumber; ++j) {
            out << rows[i][j] << '\t';
        }
        out << '\n' << std::flush;
        if (limits.cancelled()) {
            return Ending::Interrupted;
        }
    }
    return Ending::Finished;
}

std::uint64_t ArrayGraph::bytesFor(std::uint64_t n) {
    // No block of this platform passes ptrdiff_t's range: on a 32-bit system none passes 2 GiB,
    // however much a 64-bit kernel reports free, and the cell count n*n would wrap around size_t
    // from 2^16 vertices on. Below 2^31 vertices nothing here wraps in 64 bits.
    constexpr std::uint64_t largestBlock = std::numeric_limits<std::ptrdiff_t>::max();
    if (n >= std::uint64_t{1} << 31 || n * n > largestBlock / sizeof(Cell)) {
        return saturated;
    }
    return n * n * sizeof(Cell) + n * sizeof(Cell*);
}

std::unique_ptr<ArrayGraph> ArrayGraph::tryCreate(std::uint64_t n, std::uint64_t budgetBytes) {
    // A saturated size is refused even without a budget: no block holds its cells.
    const std::uint64_t bytes = bytesFor(n);
    if (n > std::numeric_limits<std::uint32_t>::max() || bytes == saturated ||
        bytes > budgetBytes) {
        return nullptr;
    }
    try {
        return std::make_unique<ArrayGraph>(static_cast<std::uint32_t>(n));
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

} // namespace komiwojazer
