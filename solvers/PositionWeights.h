#pragma once

#include "graph/RunLimits.h"
#include "solvers/Route.h"
#include "solvers/WeightMatrix.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace komiwojazer {

// The weights between the positions of the route that the tabu search stands on, kept up to date
// as positions are exchanged, so that rating exchanges reads contiguous rows instead of looking
// vertices up: row a holds the weights from the vertex at position a to the vertex at every
// position, and transposed row a the weights from every position into position a. Also the
// route's length and the two route edges at each position. An exchange costs O(n).
class PositionWeights {
public:
    // Over the given weights, which must outlive the tables.
    explicit PositionWeights(const WeightMatrix& weights);
    // The bytes that the tables of an n-vertex graph allocate.
    static std::uint64_t bytesFor(std::uint64_t n);

    // Stands on a complete route of n+1 entries; O(n^2). False, and no route to stand on, when the
    // run is cancelled on the way.
    [[nodiscard]] bool setRoute(const Route& newRoute, const RunLimits& limits);
    // Exchanges positions i and j, 1 <= i < j <= n-2; newLength is the exchanged route's length.
    void swapPositions(std::uint32_t i, std::uint32_t j, std::uint32_t newLength);

    [[nodiscard]] const Route& getRoute() const { return route; }
    [[nodiscard]] std::uint32_t getLength() const { return length; }
    [[nodiscard]] std::uint32_t getVertexNumber() const { return n; }
    // from(a)[b] = weight from the vertex at position a to the vertex at position b.
    [[nodiscard]] const std::uint32_t* from(std::uint32_t a) const {
        return byPosition.get() + std::size_t{a} * n;
    }
    // into(a)[b] = weight from the vertex at position b to the vertex at position a.
    [[nodiscard]] const std::uint32_t* into(std::uint32_t a) const {
        return transposed.get() + std::size_t{a} * n;
    }
    // getEdgePairs()[a] = weight into position a plus weight out of it, for 1 <= a <= n-2.
    [[nodiscard]] const std::uint32_t* getEdgePairs() const { return edgePairs.data(); }

private:
    void refreshEdgePair(std::uint32_t a);

    const WeightMatrix& weights; // the graph's weights
    std::uint32_t n;             // vertex count
    Route route;                 // the route stood on, n+1 entries
    std::uint32_t length = 0;    // its length
    // The two tables are left unset until setRoute writes every cell between its looks at the
    // cancel flag, so that no long step of clearing memory goes unchecked.
    std::unique_ptr<std::uint32_t[]> byPosition; // n*n, see from
    std::unique_ptr<std::uint32_t[]> transposed; // n*n, see into
    std::vector<std::uint32_t> edgePairs;        // see getEdgePairs
};

} // namespace komiwojazer
