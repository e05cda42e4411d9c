#include "app/SolverRuns.h"

#include "app/Output.h"
#include "solvers/branchandbound/BranchAndBound.h"
#include "solvers/tabu/ProcessTimeStop.h"
#include "solvers/tabu/TabuSearch.h"

#include <ostream>

namespace komiwojazer {

std::unique_ptr<TabuStop> processTimeStop(std::uint32_t stopTime) {
    return std::make_unique<ProcessTimeStop>(stopTime);
}

void displayRoute(std::ostream& out, const Graph& graph, const Route& route, double seconds) {
    // The last running total is the route's length, summed as routeLength sums it.
    std::uint32_t total = 0;
    if (!route.empty()) {
        out << route[0] << "\t0\t0" << std::endl;
        for (std::size_t k = 1; k < route.size(); ++k) {
            const std::uint32_t weight = graph.getWeight(route[k - 1], route[k]);
            total += weight;
            out << route[k] << '\t' << weight << '\t' << total << std::endl;
        }
    }
    out << texts::routeLength << total << std::endl;
    printLine(out);
    out << texts::runTime << seconds << std::endl;
    printLine(out);
}

namespace {

void printTabuParameters(std::ostream& out, const TabuParameters& parameters,
                         std::int32_t stopTime) {
    out << texts::tenure << parameters.getTenure() << std::endl;
    out << texts::stopTime << stopTime << std::endl;
    if (parameters.getDiversification()) {
        out << texts::restartsAfter << parameters.getCriterion() << texts::iterations << std::endl;
    } else {
        printLine(out, texts::noRestarts);
    }
    printLine(out);
}

} // namespace

void runTabuChoice(std::ostream& out, const Graph& graph, const TabuSettings& settings,
                   Stopwatch& stopwatch, const TabuStopFactory& stopFor, const RunLimits& limits) {
    // A negative stop time would read as about 136 years of processor time.
    if (settings.tabuStopTime <= 0) {
        printRefusal(out, texts::Refusal::NoCheese);
        return;
    }
    const TabuParameters parameters(settings.tabuDiversification);
    printTabuParameters(out, parameters, settings.tabuStopTime);
    const std::unique_ptr<TabuStop> stop =
        stopFor(static_cast<std::uint32_t>(settings.tabuStopTime));
    stopwatch.start();
    const Outcome<TabuResult> outcome = tabuSearch(graph, parameters, *stop, limits);
    stopwatch.stop();
    printEnding(out, outcome.ending);
    // An interrupted search still shows its best route so far, if it has one.
    const Route& route = outcome.result.bestRoute;
    if (outcome.ending == Ending::Finished ||
        (outcome.ending == Ending::Interrupted && !route.empty())) {
        displayRoute(out, graph, route, stopwatch.read());
    }
}

void runBranchAndBoundChoice(std::ostream& out, const Graph& graph, Stopwatch& stopwatch,
                             const RunLimits& limits) {
    stopwatch.start();
    const Outcome<BranchAndBoundResult> outcome =
        branchAndBound(graph, {branchAndBoundShare(limits.memoryBudgetBytes), limits.cancel});
    stopwatch.stop();
    printEnding(out, outcome.ending);
    if (outcome.ending == Ending::Finished) {
        displayRoute(out, graph, outcome.result.route, stopwatch.read());
    }
}

} // namespace komiwojazer
