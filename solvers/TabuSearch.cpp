#include "solvers/TabuSearch.h"

#include "graph/MemoryBudget.h"
#include "solvers/Stopwatch.h"
#include "solvers/TabuMemory.h"
#include "solvers/TabuNeighbourhood.h"

#include <cstdlib>
#include <ctime>
#include <memory>
#include <new>
#include <utility>
#include <vector>

namespace komiwojazer {
namespace {

// Appends the vertex not yet placed that is cheapest to reach from vertex k, the step number (not
// the route's last vertex); the lowest vertex wins among equal weights. When the only vertex left
// is k itself, it is appended all the same, so that the route still holds every vertex.
void greedyStep(const TabuNeighbourhood& weights, Route& route, std::vector<bool>& placed,
                std::uint32_t k) {
    const std::uint32_t n = weights.getVertexNumber();
    bool found = false;
    std::uint32_t chosen = k;
    std::uint32_t chosenWeight = 0;
    for (std::uint32_t j = 0; j < n; ++j) {
        if (j == k || placed[j]) {
            continue;
        }
        const std::uint32_t weight = weights.getWeight(k, j);
        if (!found || weight < chosenWeight) {
            found = true;
            chosen = j;
            chosenWeight = weight;
        }
    }
    route.push_back(chosen);
    placed[chosen] = true;
}

Route initialRoute(const TabuNeighbourhood& weights) {
    const std::uint32_t n = weights.getVertexNumber();
    std::vector<bool> placed(n, false);
    Route route{0};
    placed[0] = true;
    for (std::uint32_t k = 0; k + 2 <= n; ++k) {
        greedyStep(weights, route, placed, k);
    }
    route.push_back(0);
    return route;
}

// Three distinct vertices drawn from the seeded process-wide generator, then greedy steps from
// k = 0 again. REQUIRES: at least three vertices.
Route restartRoute(const TabuNeighbourhood& weights, unsigned seed) {
    const std::uint32_t n = weights.getVertexNumber();
    const auto draw = [n] { return static_cast<std::uint32_t>(std::rand()) % n; };
    std::srand(seed);
    const std::uint32_t a = draw();
    std::uint32_t b = draw();
    while (b == a) {
        b = draw();
    }
    std::uint32_t c = draw();
    while (c == a || c == b) {
        c = draw();
    }
    std::vector<bool> placed(n, false);
    Route route{a, b, c};
    placed[a] = placed[b] = placed[c] = true;
    for (std::uint32_t k = 0; k + 4 <= n; ++k) {
        greedyStep(weights, route, placed, k);
    }
    route.push_back(a);
    return route;
}

TabuOutcome search(const Graph& graph, const TabuParameters& parameters,
                   const TabuControl& control) {
    TabuOutcome outcome;
    const std::uint32_t n = graph.getVertexNumber();
    if (n == 0) {
        return outcome;
    }
    TabuNeighbourhood neighbourhood(graph);
    Route start = initialRoute(neighbourhood);
    if (control.start) {
        control.start();
    }
    // Without a single pair to exchange there is nothing to search.
    if (n <= 3) {
        outcome.bestRoute = start;
        outcome.bestLength = routeLength(graph, start);
        outcome.currentRoute = std::move(start);
        return outcome;
    }

    neighbourhood.setRoute(start);
    TabuMemory memory(n, parameters.tenure);
    bool haveBest = false;
    std::uint32_t bestLength = noValue;
    Route bestRoute;
    for (;;) {
        std::int64_t iterationsWithoutImprovement = 0;
        for (;;) {
            const TabuNeighbourhood::Choice choice =
                neighbourhood.bestAdmissible(memory, haveBest, bestLength);
            ++outcome.iterations;
            // Without an admissible pair the search stays where it is; the iteration still ages
            // the tabu list and counts.
            if (choice.found) {
                neighbourhood.swapPositions(choice.i, choice.j, choice.length);
                if (!haveBest || choice.length < bestLength) {
                    haveBest = true;
                    bestLength = choice.length;
                    bestRoute = neighbourhood.getRoute();
                    iterationsWithoutImprovement = 0;
                }
            }
            memory.endIteration(outcome.iterations, choice.found, choice.i, choice.j);
            ++iterationsWithoutImprovement;

            if (!control.stop || control.stop(outcome.iterations)) {
                outcome.bestRoute = std::move(bestRoute);
                outcome.bestLength = bestLength;
                outcome.currentRoute = neighbourhood.getRoute();
                return outcome;
            }
            if (parameters.diversification &&
                iterationsWithoutImprovement >= parameters.diversificationCriterion) {
                break;
            }
        }
        const unsigned seed =
            control.restartSeed ? control.restartSeed() : static_cast<unsigned>(std::time(nullptr));
        neighbourhood.setRoute(restartRoute(neighbourhood, seed));
        ++outcome.restarts;
    }
}

} // namespace

TabuOutcome runTabuSearch(const Graph& graph, const TabuParameters& parameters,
                          const TabuControl& control) {
    const std::uint32_t n = graph.getVertexNumber();
    // The weights, two position-indexed copies of them and the tabu flags.
    const std::uint64_t tableBytes = std::uint64_t{n} * n * (3 * sizeof(std::uint32_t) + 1);
    if (tableBytes > availableMemoryBytes()) {
        TabuOutcome outcome;
        outcome.outOfMemory = true;
        return outcome;
    }
    try {
        return search(graph, parameters, control);
    } catch (const std::bad_alloc&) {
        TabuOutcome outcome;
        outcome.outOfMemory = true;
        return outcome;
    }
}

TabuControl processTimeLimit(std::uint32_t stopTime, const std::atomic<bool>* cancel) {
    auto stopwatch = std::make_shared<Stopwatch>();
    TabuControl control;
    control.start = [stopwatch] { stopwatch->start(); };
    control.stop = [stopwatch, stopTime, cancel](std::uint64_t) {
        stopwatch->stop();
        return stopwatch->read() > static_cast<double>(stopTime) ||
               (cancel != nullptr && cancel->load());
    };
    return control;
}

TabuControl iterationLimit(std::uint64_t iterations, unsigned restartSeed) {
    TabuControl control;
    control.stop = [iterations](std::uint64_t done) { return done >= iterations; };
    control.restartSeed = [restartSeed] { return restartSeed; };
    return control;
}

Route tabuSearch(const Graph& graph, int tenure, bool diversification, int diversificationCriterion,
                 std::uint32_t stopTime) {
    const TabuParameters parameters{tenure, diversification, diversificationCriterion};
    return runTabuSearch(graph, parameters, processTimeLimit(stopTime)).bestRoute;
}

} // namespace komiwojazer
