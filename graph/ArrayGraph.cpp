#include "graph/ArrayGraph.h"

#include "step/Bytes.h"

#include <algorithm>
#include <cstddef>
#include <limits>
#include <new>
#include <ostream>

namespace komiwojazer {
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
    // Past what one block of the platform holds, the cells' size saturates: on a 32-bit system the
    // cell count n*n would wrap around size_t from 2^16 vertices on.
    return addBytes(tableBytes<Cell>(n), bytesOf<Cell*>(n));
}

std::unique_ptr<ArrayGraph> ArrayGraph::tryCreate(std::uint64_t n, std::uint64_t budgetBytes) {
    if (n > std::numeric_limits<std::uint32_t>::max() || !fitsBudget(bytesFor(n), budgetBytes)) {
        return nullptr;
    }
    try {
        return std::make_unique<ArrayGraph>(static_cast<std::uint32_t>(n));
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

} // namespace komiwojazer
