#include "graph/Graph.h"

#include <cstdlib>
#include <ctime>

namespace komiwojazer {

void Graph::randomGenerateFullGraph(std::uint32_t maxWeight) {
    static_cast<void>(randomGenerateFullGraph(maxWeight, RunLimits{}));
}

Ending Graph::randomGenerateFullGraph(std::uint32_t maxWeight, const RunLimits& limits) {
    return fill(maxWeight, static_cast<unsigned>(std::time(nullptr)), limits);
}

void Graph::randomGenerateFullGraph(std::uint32_t maxWeight, unsigned seed) {
    static_cast<void>(fill(maxWeight, seed, {}));
}

Ending Graph::fill(std::uint32_t maxWeight, unsigned seed, const RunLimits& limits) {
    std::srand(seed);
    for (std::uint32_t i = 0; i < vertexNumber; ++i) {
        if (limits.cancelled()) {
            return Ending::Interrupted;
        }
        for (std::uint32_t j = 0; j < vertexNumber; ++j) {
            if (i != j) {
                addEdge(i, j, static_cast<std::uint32_t>(std::rand()) % maxWeight + 1);
            }
        }
    }
    return Ending::Finished;
}

} // namespace komiwojazer
