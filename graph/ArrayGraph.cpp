#include "graph/ArrayGraph.h"

#include "graph/TableBytes.h"

#include <algorithm>
#include <limits>
#include <new>
#include <ostream>

namespace komiwojazer {

// The cells come zeroed from calloc. A large block is fresh memory from the system, zero already,
// so no time goes into clearing it and its pages are touched only as they are filled: a fill that
// stops early (a cut file, a Ctrl-C) never pays for the rest.
ArrayGraph::ArrayGraph(std::uint32_t n)
    : rows(new std::uint32_t*[n]),
      cells(static_cast<std::uint32_t*>(
          std::calloc(std::max<std::size_t>(std::size_t{n} * n, 1), sizeof(std::uint32_t)))) {
    if (!cells) {
        throw std::bad_alloc();
    }
    vertexNumber = n;
    for (std::uint32_t i = 0; i < n; ++i) {
        rows[i] = cells.get() + std::size_t{i} * n;
    }
}

bool ArrayGraph::addEdge(std::uint32_t i, std::uint32_t j, std::uint32_t weight) {
    std::uint32_t& cell = rows[i][j];
    if (cell != 0) {
        return false;
    }
    cell = capWeight(weight);
    return true;
}

bool ArrayGraph::removeEdge(std::uint32_t i, std::uint32_t j) {
    std::uint32_t& cell = rows[i][j];
    if (cell == 0) {
        return false;
    }
    cell = 0;
    return true;
}

void ArrayGraph::displayGraph(std::ostream& out) const {
    for (std::uint32_t i = 0; i < vertexNumber; ++i) {
        for (std::uint32_t j = 0; j < vertexNumber; ++j) {
            out << rows[i][j] << '\t';
        }
        out << '\n' << std::flush;
    }
}

std::uint64_t ArrayGraph::bytesFor(std::uint64_t n) {
    return addBytes(tableBytes(n, sizeof(std::uint32_t)), multiplyBytes(n, sizeof(std::uint32_t*)));
}

std::unique_ptr<ArrayGraph> ArrayGraph::tryCreate(std::uint64_t n, std::uint64_t budgetBytes) {
    if (n > std::numeric_limits<std::uint32_t>::max() || bytesFor(n) > budgetBytes) {
        return nullptr;
    }
    try {
        return std::make_unique<ArrayGraph>(static_cast<std::uint32_t>(n));
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

} // namespace komiwojazer
