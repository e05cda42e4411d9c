#include "app/SolverRuns.h"

#include "app/Interruption.h"
#include "app/Messages.h"
#include "solvers/BranchAndBound.h"

#include <ostream>

namespace komiwojazer {

TabuOutcome timedTabuRun(const Graph& graph, const TabuParameters& parameters,
                         std::uint32_t stopTime, const RunLimits& limits) {
    return runTabuSearch(graph, parameters, processTimeLimit(stopTime), limits);
}

void displayRoute(std::ostream& out, const Graph& graph, const Route& route, double seconds) {
    std::uint32_t total = 0;
    if (!route.empty()) {
        out << route[0] << "\t0\t0" << std::endl;
        for (std::size_t k = 1; k < route.size(); ++k) {
            const std::uint32_t weight = graph.getWeight(route[k - 1], route[k]);
            total += weight;
            out << route[k] << '\t' << weight << '\t' << total << std::endl;
        }
    }
    out << "Dlugosc trasy: " << total << std::endl;
    printLine(out);
    out << "Czas wykonania algorytmu [s]: " << seconds << std::endl;
    printLine(out);
}

void runTabuChoice(std::ostream& out, const Graph* graph, const TabuSettings& settings,
                   Stopwatch& stopwatch, const TabuRun& tabuRun, const RunLimits& limits) {
    if (graph == nullptr) {
        printAlarm(out, noInstanceText);
        return;
    }
    // A negative stop time would read as about 136 years of processor time.
    if (settings.tabuStopTime <= 0) {
        printAlarm(out, "Blad: Brak Sera! +++ !!!!!");
        return;
    }
    TabuParameters parameters;
    parameters.diversification = settings.tabuDiversification;
    out << "Kadencja: " << parameters.tenure << std::endl;
    out << "Czas zatrzymania algorytmu [s]: " << settings.tabuStopTime << std::endl;
    if (parameters.diversification) {
        out << "Dywersyfikacja wlaczona, kryterium: " << parameters.diversificationCriterion
            << " iteracji" << std::endl;
    } else {
        printLine(out, "Dywersyfikacja wylaczona");
    }
    printLine(out);

    stopwatch.start();
    const TabuOutcome outcome =
        tabuRun(*graph, parameters, static_cast<std::uint32_t>(settings.tabuStopTime), limits);
    stopwatch.stop();
    // An interrupted search still shows its best route so far, if it has one.
    if (InterruptionScope::take()) {
        printAlarm(out, interruptedText);
        if (outcome.bestRoute.empty()) {
            return;
        }
    } else if (outcome.outOfMemory) {
        printAlarm(out, outOfMemoryText);
        return;
    }
    displayRoute(out, *graph, outcome.bestRoute, stopwatch.read());
}

void runBranchAndBoundChoice(std::ostream& out, const Graph* graph, Stopwatch& stopwatch,
                             const RunLimits& limits) {
    if (graph == nullptr) {
        printAlarm(out, noInstanceText);
        return;
    }
    stopwatch.start();
    const BranchAndBoundOutcome outcome = runBranchAndBound(*graph, limits);
    stopwatch.stop();
    // A Ctrl-C that came too late to stop the search is still answered; the route it found is
    // shown all the same.
    if (InterruptionScope::take()) {
        printAlarm(out, interruptedText);
    } else if (outcome.status == BranchAndBoundOutcome::Status::OutOfMemory) {
        printAlarm(out, outOfMemoryText);
    }
    if (outcome.status == BranchAndBoundOutcome::Status::Solved) {
        displayRoute(out, *graph, outcome.route, stopwatch.read());
    }
}

} // namespace komiwojazer
