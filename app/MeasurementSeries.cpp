#include "app/MeasurementSeries.h"

#include "app/Interruption.h"
#include "app/Messages.h"

#include <cmath>
#include <fstream>
#include <ostream>

namespace komiwojazer {
namespace {

// Route lengths per stop time, without and with diversification.
template <class T> struct PerStopTime {
    std::vector<T> without;
    std::vector<T> with;
};

void writeResults(std::ostream& out, const MeasurementPlan& plan,
                  const PerStopTime<std::int32_t>& averages) {
    out << "czas - bez dywersyfikacji - z dywersyfikacja" << std::endl;
    for (std::size_t i = 0; i < plan.measurementTimes.size(); ++i) {
        out << plan.measurementTimes[i] << " [s]: " << averages.without[i] << ' '
            << averages.with[i] << std::endl;
    }
}

} // namespace

std::int32_t averageLength(double sum, int repetitions) {
    // nearbyint rounds in the default mode, which sends halves to the even neighbour.
    return static_cast<std::int32_t>(std::nearbyint(sum / repetitions));
}

void runMeasurementSeries(std::ostream& out, const Graph* graph, const MeasurementPlan& plan,
                          const TabuStopFactory& stopFactory) {
    if (graph == nullptr) {
        printRefusal(out, noInstanceMessage);
        return;
    }
    const std::size_t timeCount = plan.measurementTimes.size();
    PerStopTime<double> sums{std::vector<double>(timeCount, 0.0),
                             std::vector<double>(timeCount, 0.0)};

    printLine(out, "Pomiary dla problemu komiwojazera, tabu search");
    out << "Kadencja: " << driverTenure << std::endl;
    out << "Kryterium dywersyfikacji: " << driverDiversificationCriterion << " iteracji"
        << std::endl;

    const InterruptionScope interruption;
    // One run, announced before it starts; false when the series cannot go on.
    const auto measure = [&](int pass, std::int32_t stopTime, bool diversification, double& sum) {
        out << "Pomiar " << stopTime << " [s] (" << pass << " z " << plan.repetitions
            << (diversification ? " z dywersyfikacja)..." : " bez dywersyfikacji)...") << std::endl;
        const TabuParameters parameters{driverTenure, diversification,
                                        driverDiversificationCriterion};
        const TabuOutcome outcome = runTabuSearch(
            *graph, parameters, interruptible(stopFactory(static_cast<std::uint32_t>(stopTime))));
        // An interrupted series has no averages worth a file.
        if (InterruptionScope::interrupted()) {
            printInterrupted(out);
            return false;
        }
        if (outcome.outOfMemory) {
            printRefusal(out, outOfMemoryMessage);
            return false;
        }
        sum += static_cast<double>(routeLength(*graph, outcome.bestRoute));
        return true;
    };
    for (int pass = 1; pass <= plan.repetitions; ++pass) {
        for (std::size_t i = 0; i < timeCount; ++i) {
            const std::int32_t stopTime = plan.measurementTimes[i];
            if (!measure(pass, stopTime, false, sums.without[i]) ||
                !measure(pass, stopTime, true, sums.with[i])) {
                return;
            }
        }
    }

    printLine(out, "Opracowywanie wynikow...");
    PerStopTime<std::int32_t> averages;
    for (std::size_t i = 0; i < timeCount; ++i) {
        averages.without.push_back(averageLength(sums.without[i], plan.repetitions));
        averages.with.push_back(averageLength(sums.with[i], plan.repetitions));
    }

    printLine(out, "Zapis wynikow...");
    std::ofstream file(plan.resultsFile, std::ios::out | std::ios::trunc);
    if (file) {
        writeResults(file, plan, averages);
        file.close();
    }
    if (!file) {
        // The series may have run for minutes: its results are shown rather than lost.
        writeResults(out, plan, averages);
        printRefusal(out, std::string(alarm) + "Blad zapisu pliku " + plan.resultsFile + " +++");
        return;
    }
    printLine(out, "Gotowe!");
    printLine(out);
}

} // namespace komiwojazer
