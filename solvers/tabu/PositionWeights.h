#pragma once

#include "solvers/Route.h"
#include "solvers/WeightMatrix.h"
#include "step/RunLimits.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace komiwojazer {

// The change of length that exchanging the positions i < j of a route makes when j > i+1: the
// four edges that the exchange makes less the two route edges at each position. Every argument is
// a weight between positions of the route: intoJ from i-1 to j, fromJ from j to i+1, intoI from
// j-1 to i, fromI from i to j+1, and edgesAtI, edgesAtJ the two route edges at i and at j.
// Lengths and changes wrap modulo 2^32, so this is also the exact change of a wrapping length.
[[nodiscard]] inline std::uint32_t changeOfSwap(std::uint32_t intoJ, std::uint32_t fromJ,
                                                std::uint32_t intoI, std::uint32_t fromI,
                                                std::uint32_t edgesAtI, std::uint32_t edgesAtJ) {
    return intoJ + fromJ + intoI + fromI - edgesAtI - edgesAtJ;
}

// The same for i and i+1, whose exchange reverses the edge between them instead of replacing two:
// intoNext from i-1 to i+1, back from i+1 to i, fromI from i to i+2, edgesAtI the two route edges
// at i and afterNext the route edge from i+1 to i+2.
[[nodiscard]] inline std::uint32_t changeOfAdjacentSwap(std::uint32_t intoNext, std::uint32_t back,
                                                        std::uint32_t fromI, std::uint32_t edgesAtI,
                                                        std::uint32_t afterNext) {
    return intoNext + back + fromI - edgesAtI - afterNext;
}

// The weights between the positions of the route that the tabu search stands on, kept up to date
// as positions are exchanged, so that rating exchanges reads contiguous rows instead of looking
// vertices up: row a holds the weights from the vertex at position a to the vertex at every
// position, and transposed row a the weights from every position into position a. Also the
// route's length and the two route edges at each position. An exchange costs O(n).
class PositionWeights {
public:
    using Weight = WeightMatrix::Weight;

    // Over the given weights, which must outlive the tables.
    explicit PositionWeights(const WeightMatrix& weights);
    // The bytes that the tables of an n-vertex graph allocate.
    static std::uint64_t bytesFor(std::uint64_t n);

    // Stands on a complete route of n+1 entries; O(n^2). False, and no route to stand on, when the
    // run is cancelled on the way.
    [[nodiscard]] bool setRoute(const Route& newRoute, const RunLimits& limits);
    // Exchanges positions i and j, 1 <= i < j <= n-2; newLength is the exchanged route's length.
    void swapPositions(std::uint32_t i, std::uint32_t j, std::uint32_t newLength);
    // The change of length that exchanging positions i < j makes, 1 <= i < j <= n-2.
    [[nodiscard]] std::uint32_t changeOf(std::uint32_t i, std::uint32_t j) const;

    [[nodiscard]] const Route& getRoute() const { return route; }
    [[nodiscard]] std::uint32_t getLength() const { return length; }
    [[nodiscard]] std::uint32_t getVertexNumber() const { return n; }
    // from(a)[b] = weight from the vertex at position a to the vertex at position b.
    [[nodiscard]] const Weight* from(std::uint32_t a) const {
        return byPosition.get() + std::size_t{a} * n;
    }
    // into(a)[b] = weight from the vertex at position b to the vertex at position a.
    [[nodiscard]] const Weight* into(std::uint32_t a) const {
        return transposed.get() + std::size_t{a} * n;
    }
    // getEdgePairs()[a] = weight into position a plus weight out of it, for 1 <= a <= n-2.
    [[nodiscard]] const Weight* getEdgePairs() const { return edgePairs.data(); }

private:
    void refreshEdgePair(std::uint32_t a);

    const WeightMatrix& weights; // the graph's weights
    std::uint32_t n;             // vertex count
    Route route;                 // the route stood on, n+1 entries
    std::uint32_t length = 0;    // its length
    // The two tables are left unset until setRoute writes every cell between its looks at the
    // cancel flag, so that no long step of clearing memory goes unchecked.
    std::unique_ptr<Weight[]> byPosition; // n*n, see from
    std::unique_ptr<Weight[]> transposed; // n*n, see into
    std::vector<Weight> edgePairs;        // see getEdgePairs
};

} // namespace komiwojazer
