#include "reference/PlainTabuSearch.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <utility>
#include <vector>

namespace komiwojazer::plain {
namespace {

using TabuEntry = std::vector<std::uint32_t>; // remaining tenure, first position, second position

// Appends the vertex outside the route that is cheapest to reach from vertex k (the step number);
// when the only vertex left is k itself, appends k.
void greedyStep(const Graph& graph, Route& route, std::uint32_t k) {
    const std::uint32_t n = graph.getVertexNumber();
    // Above every weight, so that the first candidate is taken.
    std::uint64_t lightest = std::uint64_t{1} << 32;
    std::uint32_t chosen = k;
    for (std::uint32_t j = 0; j < n; ++j) {
        const bool candidate = j != k && std::find(route.begin(), route.end(), j) == route.end();
        if (candidate && graph.getWeight(k, j) < lightest) {
            lightest = graph.getWeight(k, j);
            chosen = j;
        }
    }
    route.push_back(chosen);
}

// Greedy steps k = 0, 1, ... from the given start until every vertex is on the route, which then
// returns to where it began.
Route greedyRoute(const Graph& graph, Route route) {
    for (std::uint32_t k = 0; route.size() < graph.getVertexNumber(); ++k) {
        greedyStep(graph, route, k);
    }
    route.push_back(route.front());
    return route;
}

// Three distinct vertices drawn after seeding, then greedy steps. REQUIRES: three vertices or more.
Route restartRoute(const Graph& graph, unsigned seed) {
    const std::uint32_t n = graph.getVertexNumber();
    std::srand(seed);
    Route route;
    while (route.size() < 3) {
        const std::uint32_t drawn = static_cast<std::uint32_t>(std::rand()) % n;
        if (std::find(route.begin(), route.end(), drawn) == route.end()) {
            route.push_back(drawn);
        }
    }
    return greedyRoute(graph, route);
}

std::uint32_t fullLength(const Graph& graph, const Route& route) {
    std::uint32_t length = 0;
    for (std::size_t p = 0; p + 1 < route.size(); ++p) {
        length += graph.getWeight(route.at(p), route.at(p + 1));
    }
    return length;
}

bool isTabu(const std::vector<TabuEntry>& tabuList, std::uint32_t i, std::uint32_t j) {
    return std::any_of(tabuList.begin(), tabuList.end(), [i, j](const TabuEntry& entry) {
        return (entry.at(1) == i && entry.at(2) == j) || (entry.at(1) == j && entry.at(2) == i);
    });
}

} // namespace

TabuResult plainTabuSearch(const Graph& graph, const TabuParameters& parameters, TabuStop& stop) {
    TabuResult outcome;
    const std::uint32_t n = graph.getVertexNumber();
    if (n == 0) {
        return outcome;
    }
    Route currentRoute = greedyRoute(graph, {0});
    stop.start();
    if (n <= 3) {
        outcome.bestRoute = currentRoute;
        outcome.bestLength = fullLength(graph, currentRoute);
        outcome.currentRoute = std::move(currentRoute);
        return outcome;
    }

    Route bestRoute;
    std::uint32_t bestLength = noValue;
    std::vector<TabuEntry> tabuList;
    std::uint64_t iterationsWithoutImprovement = 0;
    for (;;) {
        Route bestNeighbour;
        std::uint32_t bestNeighbourLength = noValue;
        TabuEntry pending{parameters.getTenure(), 0, 0};
        const bool haveBest = !bestRoute.empty();
        for (std::uint32_t i = 1; i + 1 <= n - 2; ++i) {
            for (std::uint32_t j = i + 1; j <= n - 2; ++j) {
                Route candidate = currentRoute;
                std::swap(candidate.at(i), candidate.at(j));
                const std::uint32_t length = fullLength(graph, candidate);
                const bool admissible = !isTabu(tabuList, i, j) || !haveBest || length < bestLength;
                if (admissible && (bestNeighbour.empty() || length < bestNeighbourLength)) {
                    bestNeighbour = std::move(candidate);
                    bestNeighbourLength = length;
                    pending.at(1) = i;
                    pending.at(2) = j;
                }
            }
        }
        // Without an admissible pair the search stays where it is.
        if (!bestNeighbour.empty()) {
            currentRoute = bestNeighbour;
            if (!haveBest || bestNeighbourLength < bestLength) {
                bestRoute = std::move(bestNeighbour);
                bestLength = bestNeighbourLength;
                iterationsWithoutImprovement = 0;
            }
        }

        for (TabuEntry& entry : tabuList) {
            entry.at(0) -= 1;
        }
        std::erase_if(tabuList, [](const TabuEntry& entry) { return entry.at(0) == 0; });
        tabuList.push_back(pending);

        ++iterationsWithoutImprovement;
        ++outcome.iterations;
        if (stop.reached(outcome.iterations)) {
            break;
        }
        if (parameters.getDiversification() &&
            iterationsWithoutImprovement >= parameters.getCriterion()) {
            currentRoute = restartRoute(graph, stop.restartSeed());
            ++outcome.restarts;
            iterationsWithoutImprovement = 0;
        }
    }
    outcome.bestRoute = std::move(bestRoute);
    outcome.bestLength = bestLength;
    outcome.currentRoute = std::move(currentRoute);
    return outcome;
}

} // namespace komiwojazer::plain
