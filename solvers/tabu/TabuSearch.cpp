#include "solvers/tabu/TabuSearch.h"

#include "solvers/WeightMatrix.h"
#include "solvers/tabu/FullScanNeighbourhood.h"
#include "solvers/tabu/IncrementalNeighbourhood.h"
#include "solvers/tabu/ProcessTimeStop.h"
#include "solvers/tabu/TabuMemory.h"

#include <algorithm>
#include <cstdlib>
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

// Three distinct vertices drawn from the standard library's process-wide generator, then greedy
// steps from k = 0 again. The generator is seeded here, from the wall clock in the program, as the
// random fill seeds it: so that neither depends on what the other drew last. REQUIRES: at least
// three vertices.
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

// The search proper, from the route the neighbourhood stands on: phases of iterations, each ended
// by the stop or, with diversification, by the criterion, which a restart follows.
template <class Neighbourhood> class Walk {
public:
    Walk(Neighbourhood& neighbourhood, TabuMemory& memory, const WeightMatrix& weights,
         const TabuParameters& parameters, TabuStop& stop, const RunLimits& limits,
         TabuResult& result)
        : neighbourhood(neighbourhood), memory(memory), weights(weights), parameters(parameters),
          stop(stop), limits(limits), result(result) {}

    // Walks until the stop holds (Finished) or the run is cancelled (Interrupted).
    Ending run() {
        for (;;) {
            if (const std::optional<Ending> ending = phase()) {
                return *ending;
            }
            if (!restart()) {
                return Ending::Interrupted;
            }
        }
    }

private:
    // Iterations until the search ends, which it says, or the criterion calls for a restart.
    std::optional<Ending> phase() {
        std::uint64_t iterationsWithoutImprovement = 0;
        for (;;) {
            if (iterate()) {
                iterationsWithoutImprovement = 0;
            }
            ++iterationsWithoutImprovement;
            // The stop comes before the criterion: a phase that ends both ways ends the search.
            if (stop.reached(result.iterations)) {
                return Ending::Finished;
            }
            if (limits.cancelled()) {
                return Ending::Interrupted;
            }
            if (parameters.getDiversification() &&
                iterationsWithoutImprovement >= parameters.getCriterion()) {
                return std::nullopt;
            }
        }
    }

    // One iteration: the best admissible exchange is chosen, the tabu memory does its upkeep, and
    // then the exchange is made, since the neighbourhood re-rates pairs against the memory as it
    // stands after the upkeep. Without an admissible pair the search stays where it is; the
    // iteration still ages the memory and counts. Whether the best route improved.
    bool iterate() {
        const SwapChoice choice = neighbourhood.bestAdmissible(haveBest, result.bestLength);
        ++result.iterations;
        const TabuMemory::Pair ended =
            memory.endIteration(result.iterations, choice.found, choice.i, choice.j);
        bool improved = false;
        if (choice.found) {
            neighbourhood.swapPositions(choice.i, choice.j, choice.length);
            // The first move always becomes the best; later ones only when strictly shorter.
            if (!haveBest || choice.length < result.bestLength) {
                haveBest = true;
                result.bestLength = choice.length;
                result.bestRoute = neighbourhood.getRoute();
                improved = true;
            }
        }
        if (ended.i != 0) {
            neighbourhood.tabuEnded(ended.i, ended.j);
        }
        return improved;
    }

    // Stands the neighbourhood on a new, partly random route; false when the run is cancelled on
    // the way. The best route and the tabu memory carry over.
    bool restart() {
        const std::optional<Route> route = restartRoute(weights, stop.restartSeed(), limits);
        if (!route || !neighbourhood.setRoute(*route, limits)) {
            return false;
        }
        ++result.restarts;
        return true;
    }

    Neighbourhood& neighbourhood;     // the route stood on and its exchanges
    TabuMemory& memory;               // the tabu list
    const WeightMatrix& weights;      // the graph's weights
    const TabuParameters& parameters; // tenure, diversification, criterion
    TabuStop& stop;                   // when the search ends
    const RunLimits& limits;          // its cancel flag
    TabuResult& result;               // the best route so far and the counts
    bool haveBest = false;            // whether some move was ever made
};

// Stands a neighbourhood of the given kind on the start route and walks from there.
template <class Neighbourhood>
Ending walkFrom(const Route& start, const WeightMatrix& weights, const TabuParameters& parameters,
                TabuStop& stop, const RunLimits& limits, TabuResult& result) {
    TabuMemory memory(weights.getVertexNumber(), parameters.getTenure());
    Neighbourhood neighbourhood(weights, memory);
    Ending ending = Ending::Interrupted;
    if (neighbourhood.setRoute(start, limits)) {
        ending =
            Walk<Neighbourhood>(neighbourhood, memory, weights, parameters, stop, limits, result)
                .run();
    }
    result.currentRoute = neighbourhood.getRoute();
    return ending;
}

Outcome<TabuResult> search(const WeightMatrix& weights, const TabuParameters& parameters,
                           bool incremental, TabuStop& stop, const RunLimits& limits) {
    Outcome<TabuResult> outcome;
    std::optional<Route> start = completeGreedily(weights, {0}, limits);
    if (!start) {
        outcome.ending = Ending::Interrupted;
        return outcome;
    }
    stop.start();
    // Without a single pair to exchange there is nothing to search.
    if (weights.getVertexNumber() <= 3) {
        outcome.result.bestLength = routeLength(weights, *start);
        outcome.result.bestRoute = *start;
        outcome.result.currentRoute = std::move(*start);
        return outcome;
    }
    outcome.ending = incremental ? walkFrom<IncrementalNeighbourhood>(*start, weights, parameters,
                                                                      stop, limits, outcome.result)
                                 : walkFrom<FullScanNeighbourhood>(*start, weights, parameters,
                                                                   stop, limits, outcome.result);
    return outcome;
}

// The bytes of the search's tables, with the neighbourhood that serves the run.
std::uint64_t searchBytes(std::uint64_t n, bool incremental) {
    return addBytes(addBytes(WeightMatrix::bytesFor(n), TabuMemory::bytesFor(n)),
                    incremental ? IncrementalNeighbourhood::bytesFor(n)
                                : FullScanNeighbourhood::bytesFor(n));
}

} // namespace

std::optional<TabuParameters> TabuParameters::of(int tenure, bool diversification,
                                                 int diversificationCriterion) {
    if (tenure < 1 || diversificationCriterion < 1) {
        return std::nullopt;
    }
    TabuParameters parameters(diversification);
    parameters.tenure = static_cast<std::uint32_t>(tenure);
    parameters.criterion = static_cast<std::uint32_t>(diversificationCriterion);
    return parameters;
}

Outcome<TabuResult> tabuSearch(const Graph& graph, const TabuParameters& parameters, TabuStop& stop,
                               const RunLimits& limits) {
    const std::uint32_t n = graph.getVertexNumber();
    Outcome<TabuResult> outcome;
    if (n == 0) {
        return outcome;
    }
    // Which neighbourhood serves the run shows only once the weights are read; until then the
    // search is refused only when neither would fit.
    const bool large = n >= parameters.incrementalFrom;
    if (!fitsBudget(std::min(searchBytes(n, false), searchBytes(n, large)),
                    limits.memoryBudgetBytes)) {
        outcome.ending = Ending::OutOfMemory;
        return outcome;
    }
    try {
        const std::optional<WeightMatrix> weights = WeightMatrix::copyOf(graph, limits);
        if (!weights) {
            outcome.ending = Ending::Interrupted;
            return outcome;
        }
        const bool incremental = large && IncrementalNeighbourhood::fits(*weights);
        if (!fitsBudget(searchBytes(n, incremental), limits.memoryBudgetBytes)) {
            outcome.ending = Ending::OutOfMemory;
            return outcome;
        }
        return search(*weights, parameters, incremental, stop, limits);
    } catch (const std::bad_alloc&) {
        return {Ending::OutOfMemory, {}};
    }
}

Route tabuSearch(const Graph& graph, int tenure, bool diversification, int diversificationCriterion,
                 std::uint32_t stopTime) {
    const std::optional<TabuParameters> parameters =
        TabuParameters::of(tenure, diversification, diversificationCriterion);
    if (!parameters) {
        return {};
    }
    ProcessTimeStop stop(stopTime);
    return tabuSearch(graph, *parameters, stop).result.bestRoute;
}

} // namespace komiwojazer
