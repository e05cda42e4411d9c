#include "solvers/TabuSearch.h"

#include "solvers/IncrementalNeighbourhood.h"
#include "solvers/ProcessTimeLimit.h"
#include "solvers/TabuMemory.h"
#include "solvers/TabuNeighbourhood.h"
#include "solvers/WeightMatrix.h"

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <new>
#include <optional>
#include <utility>
#include <vector>

namespace komiwojazer {
namespace {

// Appends the vertex not yet placed that is cheapest to reach from vertex k, the step number (not
// the route's last vertex); the lowest vertex wins among equal weights. When the only vertex left
// is k itself, it is appended all the same, so that the route still holds every vertex.
void greedyStep(const WeightMatrix& weights, Route& route, std::vector<bool>& placed,
                std::uint32_t k) {
    const std::uint32_t n = weights.getVertexNumber();
    bool found = false;
    std::uint32_t chosen = k;
    std::uint32_t chosenWeight = 0;
    for (std::uint32_t j = 0; j < n; ++j) {
        if (j == k || placed[j]) {
            continue;
        }
        const std::uint32_t weight = weights(k, j);
        if (!found || weight < chosenWeight) {
            found = true;
            chosen = j;
            chosenWeight = weight;
        }
    }
    route.push_back(chosen);
    placed[chosen] = true;
}

// Runs greedy steps k = 0, 1, ... until the route holds every vertex, then closes it; nothing
// when the run is cancelled on the way.
std::optional<Route> completeGreedily(const WeightMatrix& weights, Route route,
                                      const RunLimits& limits) {
    const std::uint32_t n = weights.getVertexNumber();
    std::vector<bool> placed(n, false);
    for (const std::uint32_t vertex : route) {
        placed[vertex] = true;
    }
    for (std::uint32_t k = 0; route.size() < n; ++k) {
        if (limits.cancelled()) {
            return std::nullopt;
        }
        greedyStep(weights, route, placed, k);
    }
    route.push_back(route.front());
    return route;
}

// Three distinct vertices drawn from the seeded process-wide generator, then greedy steps from
// k = 0 again. REQUIRES: at least three vertices.
std::optional<Route> restartRoute(const WeightMatrix& weights, unsigned seed,
                                  const RunLimits& limits) {
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
    return completeGreedily(weights, {a, b, c}, limits);
}

// Iterations and restarts from the route the neighbourhood stands on, until control says stop or
// the run is cancelled.
template <class Neighbourhood>
void walk(Neighbourhood& neighbourhood, TabuMemory& memory, const WeightMatrix& weights,
          const TabuParameters& parameters, const TabuControl& control, const RunLimits& limits,
          TabuOutcome& outcome) {
    bool haveBest = false;
    for (;;) {
        std::int64_t iterationsWithoutImprovement = 0;
        for (;;) {
            const SwapChoice choice = neighbourhood.bestAdmissible(haveBest, outcome.bestLength);
            ++outcome.iterations;
            // The upkeep comes first so that the neighbourhood sees the chosen pair tabu.
            const TabuMemory::Pair ended =
                memory.endIteration(outcome.iterations, choice.found, choice.i, choice.j);
            // Without an admissible pair the search stays where it is; the iteration still ages
            // the tabu list and counts.
            if (choice.found) {
                neighbourhood.swapPositions(choice.i, choice.j, choice.length);
                if (!haveBest || choice.length < outcome.bestLength) {
                    haveBest = true;
                    outcome.bestLength = choice.length;
                    outcome.bestRoute = neighbourhood.getRoute();
                    iterationsWithoutImprovement = 0;
                }
            }
            if (ended.i != 0) {
                neighbourhood.tabuEnded(ended.i, ended.j);
            }
            ++iterationsWithoutImprovement;

            if (!control.stop || control.stop(outcome.iterations) || limits.cancelled()) {
                return;
            }
            if (parameters.diversification &&
                iterationsWithoutImprovement >= parameters.diversificationCriterion) {
                break;
            }
        }
        const unsigned seed =
            control.restartSeed ? control.restartSeed() : static_cast<unsigned>(std::time(nullptr));
        const std::optional<Route> restart = restartRoute(weights, seed, limits);
        if (!restart || !neighbourhood.setRoute(*restart, limits)) {
            return;
        }
        ++outcome.restarts;
        if (control.restarted) {
            control.restarted();
        }
    }
}

// Stands the neighbourhood on the start route and walks from there.
template <class Neighbourhood>
void walkFrom(Neighbourhood& neighbourhood, const Route& start, TabuMemory& memory,
              const WeightMatrix& weights, const TabuParameters& parameters,
              const TabuControl& control, const RunLimits& limits, TabuOutcome& outcome) {
    if (neighbourhood.setRoute(start, limits)) {
        walk(neighbourhood, memory, weights, parameters, control, limits, outcome);
    }
    outcome.currentRoute = neighbourhood.getRoute();
}

TabuOutcome search(const WeightMatrix& weights, const TabuParameters& parameters, bool incremental,
                   const TabuControl& control, const RunLimits& limits) {
    TabuOutcome outcome;
    const std::uint32_t n = weights.getVertexNumber();
    std::optional<Route> start = completeGreedily(weights, {0}, limits);
    if (!start) {
        return outcome;
    }
    if (control.start) {
        control.start();
    }
    // Without a single pair to exchange there is nothing to search.
    if (n <= 3) {
        outcome.bestLength = 0;
        for (std::size_t p = 1; p < start->size(); ++p) {
            outcome.bestLength += weights((*start)[p - 1], (*start)[p]);
        }
        outcome.bestRoute = *start;
        outcome.currentRoute = std::move(*start);
        return outcome;
    }

    TabuMemory memory(n, parameters.tenure);
    if (incremental) {
        IncrementalNeighbourhood neighbourhood(weights, memory);
        walkFrom(neighbourhood, *start, memory, weights, parameters, control, limits, outcome);
    } else {
        TabuNeighbourhood neighbourhood(weights, memory);
        walkFrom(neighbourhood, *start, memory, weights, parameters, control, limits, outcome);
    }
    return outcome;
}

// The bytes of the search's tables, with the neighbourhood that serves the run.
std::uint64_t searchBytes(std::uint64_t n, bool incremental) {
    return addBytes(addBytes(WeightMatrix::bytesFor(n), TabuMemory::bytesFor(n)),
                    incremental ? IncrementalNeighbourhood::bytesFor(n)
                                : TabuNeighbourhood::bytesFor(n));
}

} // namespace

TabuOutcome runTabuSearch(const Graph& graph, const TabuParameters& parameters,
                          const TabuControl& control, const RunLimits& limits) {
    const std::uint32_t n = graph.getVertexNumber();
    TabuOutcome outcome;
    if (n == 0) {
        return outcome;
    }
    // Which neighbourhood serves the run shows only once the weights are read; until then the
    // search is refused only when neither would fit.
    const bool large = n >= parameters.incrementalFrom;
    if (std::min(searchBytes(n, false), searchBytes(n, large)) > limits.memoryBudgetBytes) {
        outcome.outOfMemory = true;
        return outcome;
    }
    try {
        const std::optional<WeightMatrix> weights = WeightMatrix::copyOf(graph, limits);
        if (weights) {
            const bool incremental = large && IncrementalNeighbourhood::fits(*weights);
            if (searchBytes(n, incremental) > limits.memoryBudgetBytes) {
                outcome.outOfMemory = true;
                return outcome;
            }
            outcome = search(*weights, parameters, incremental, control, limits);
        }
    } catch (const std::bad_alloc&) {
        outcome = {};
        outcome.outOfMemory = true;
    }
    return outcome;
}

TabuControl processTimeLimit(std::uint32_t stopTime) {
    auto limit = std::make_shared<ProcessTimeLimit>(stopTime);
    TabuControl control;
    control.start = [limit] { limit->start(); };
    control.stop = [limit](std::uint64_t) { return limit->reached(); };
    control.restarted = [limit] { limit->restarted(); };
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
