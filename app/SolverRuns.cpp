#include "app/SolverRuns.h"

#include "app/Interruption.h"
#include "app/Messages.h"

#include <ostream>

namespace komiwojazer {

TabuStopFactory processTimeStop() {
    return [](std::uint32_t stopTime) { return processTimeLimit(stopTime); };
}

TabuControl interruptible(TabuControl control) {
    control.stop = [stop = std::move(control.stop)](std::uint64_t iterations) {
        return InterruptionScope::interrupted() || stop(iterations);
    };
    return control;
}

void printInterrupted(std::ostream& out) {
    printRefusal(out, "+++ MELON MELON MELON +++ Przerwano +++");
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
                   Stopwatch& stopwatch, const TabuStopFactory& stopFactory) {
    if (graph == nullptr) {
        printRefusal(out, noInstanceMessage);
        return;
    }
    // A negative stop time would read as about 136 years of processor time.
    if (settings.tabuStopTime <= 0) {
        printRefusal(out, "+++ MELON MELON MELON +++ Blad: Brak Sera! +++ !!!!! +++");
        return;
    }
    out << "Kadencja: " << driverTenure << std::endl;
    out << "Czas zatrzymania algorytmu [s]: " << settings.tabuStopTime << std::endl;
    if (settings.tabuDiversification) {
        out << "Dywersyfikacja wlaczona, kryterium: " << driverDiversificationCriterion
            << " iteracji" << std::endl;
    } else {
        printLine(out, "Dywersyfikacja wylaczona");
    }
    printLine(out);

    const TabuParameters parameters{driverTenure, settings.tabuDiversification,
                                    driverDiversificationCriterion};
    const InterruptionScope interruption;
    const TabuControl control =
        interruptible(stopFactory(static_cast<std::uint32_t>(settings.tabuStopTime)));
    stopwatch.start();
    const TabuOutcome outcome = runTabuSearch(*graph, parameters, control);
    stopwatch.stop();
    if (outcome.outOfMemory) {
        printRefusal(out, outOfMemoryMessage);
        return;
    }
    if (InterruptionScope::interrupted()) {
        printInterrupted(out);
        if (outcome.bestRoute.empty()) {
            return;
        }
    }
    displayRoute(out, *graph, outcome.bestRoute, stopwatch.read());
}

void runBranchAndBoundChoice(std::ostream& out, const Graph* graph, Stopwatch& stopwatch,
                             const BranchAndBoundOptions& options) {
    if (graph == nullptr) {
        printRefusal(out, noInstanceMessage);
        return;
    }
    const InterruptionScope interruption;
    BranchAndBoundOptions interruptibleOptions = options;
    interruptibleOptions.cancel = InterruptionScope::flag();
    stopwatch.start();
    const BranchAndBoundOutcome outcome = runBranchAndBound(*graph, interruptibleOptions);
    stopwatch.stop();
    switch (outcome.status) {
    case BranchAndBoundOutcome::Status::OutOfMemory:
        printRefusal(out, outOfMemoryMessage);
        return;
    case BranchAndBoundOutcome::Status::Cancelled:
        printInterrupted(out);
        return;
    case BranchAndBoundOutcome::Status::Solved:
        break;
    }
    displayRoute(out, *graph, outcome.route, stopwatch.read());
}

} // namespace komiwojazer
