#pragma once

#include "step/Outcome.h"
#include "step/RunLimits.h"

#include <cstdint>
#include <iosfwd>

namespace komiwojazer {

// A complete weighted directed graph on the vertices 0..vertexNumber-1. A weight of 0 means that
// there is no edge. Graphs live on the heap behind one owner and are never copied.
class Graph {
public:
    // addEdge keeps weights below this bound as they are ...
    static constexpr std::uint32_t weightLimit = 1000;
    // ... and stores every heavier one as this value.
    static constexpr std::uint32_t cappedWeight = 900;

    Graph() = default;
    Graph(const Graph&) = delete;
    Graph& operator=(const Graph&) = delete;
    virtual ~Graph() = default;

    // Sets edge (i, j) unless it is already present; returns whether it was set.
    virtual bool addEdge(std::uint32_t i, std::uint32_t j, std::uint32_t weight) = 0;
    // Removes edge (i, j); returns whether there was one.
    virtual bool removeEdge(std::uint32_t i, std::uint32_t j) = 0;
    // The weight of edge (i, j), 0 when there is none. REQUIRES: i, j < vertexNumber.
    [[nodiscard]] virtual std::uint32_t getWeight(std::uint32_t i, std::uint32_t j) const = 0;
    // Prints the graph in the representation's own text form, a vertex's line at a time; ends
    // early (Interrupted) when the limits' cancel flag is found set after a line.
    virtual Ending displayGraph(std::ostream& out, const RunLimits& limits = {}) const = 0;

    [[nodiscard]] std::uint32_t getVertexNumber() const { return vertexNumber; }

    // Gives every ordered pair of distinct vertices a weight in 1..maxWeight, drawn with rand()
    // after seeding it from the wall clock in whole seconds. REQUIRES: maxWeight >= 1.
    void randomGenerateFullGraph(std::uint32_t maxWeight);
    // The same fill, ended early (Interrupted, with the rows so far filled) when the limits'
    // cancel flag is found set before a row.
    Ending randomGenerateFullGraph(std::uint32_t maxWeight, const RunLimits& limits);
    // The same fill with a given seed, so that instances can be reproduced.
    void randomGenerateFullGraph(std::uint32_t maxWeight, unsigned seed);

protected:
    // Each fill seeds the standard library's process-wide generator itself, so that what it draws
    // depends neither on earlier fills nor on the tabu search's restarts, which do the same.
    Ending fill(std::uint32_t maxWeight, unsigned seed, const RunLimits& limits);

    static std::uint32_t capWeight(std::uint32_t weight) {
        return weight >= weightLimit ? cappedWeight : weight;
    }

    std::uint32_t vertexNumber = 0; // set once by the implementation's constructor
};

} // namespace komiwojazer
