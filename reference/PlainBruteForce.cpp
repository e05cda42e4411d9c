#include "reference/PlainBruteForce.h"

#include "solvers/exhaustive/Path.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <numeric>
#include <vector>

namespace komiwojazer::plain {

Route plainBruteForce(const Graph& graph) {
    const std::uint32_t n = graph.getVertexNumber();
    if (n < 2) {
        return {};
    }
    std::vector<std::uint32_t> permutation(n - 1);
    std::iota(permutation.begin(), permutation.end(), 1u);
    const auto asInt = [](std::uint32_t value) { return static_cast<std::int32_t>(value); };

    std::int32_t bestLength = -1;
    std::unique_ptr<Path> best;
    do {
        auto path = std::make_unique<Path>();
        path->addVertex(0, 0);
        path->addVertex(asInt(permutation.at(0)), asInt(graph.getWeight(0, permutation.at(0))));
        for (std::size_t k = 1; k + 2 <= n; ++k) {
            path->addVertex(asInt(permutation.at(k)),
                            asInt(graph.getWeight(permutation.at(k - 1), permutation.at(k))));
        }
        path->addVertex(0, asInt(graph.getWeight(permutation.at(n - 2), 0)));
        const std::int32_t length = path->getLength();
        if (bestLength == -1 || length < bestLength) {
            bestLength = length;
            best = std::move(path);
        }
    } while (std::next_permutation(permutation.begin(), permutation.end()));

    Route route;
    for (std::int32_t k = 0; k < best->getSize(); ++k) {
        route.push_back(static_cast<std::uint32_t>(best->getVertex(k)));
    }
    return route;
}

} // namespace komiwojazer::plain
