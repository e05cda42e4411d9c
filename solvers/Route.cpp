#include "solvers/Route.h"

namespace komiwojazer {

std::uint32_t routeLength(const Graph& graph, const Route& route) {
    std::uint32_t length = 0;
    for (std::size_t k = 1; k < route.size(); ++k) {
        length += graph.getWeight(route[k - 1], route[k]);
    }
    return length;
}

} // namespace komiwojazer
