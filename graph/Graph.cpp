#include "graph/Graph.h"

#include <cstdlib>
#include <ctime>

namespace komiwojazer {

void Graph::randomGenerateFullGraph(std::uint32_t maxWeight) {
    randomGenerateFullGraph(maxWeight, static_cast<unsigned>(std::time(nullptr)));
}

void Graph::randomGenerateFullGraph(std::uint32_t maxWeight, unsigned seed) {
    std::srand(seed);
    for (std::uint32_t i = 0; i < vertexNumber; ++i) {
        for (std::uint32_t j = 0; j < vertexNumber; ++j) {
            if (i != j) {
                addEdge(i, j, static_cast<std::uint32_t>(std::rand()) % maxWeight + 1);
            }
        }
    }
}

} // namespace komiwojazer
