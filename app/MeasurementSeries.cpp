#include "app/MeasurementSeries.h"

#include "app/Output.h"
#include "app/ResultsFile.h"
#include "solvers/tabu/TabuSearch.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <ostream>
#include <string>

namespace komiwojazer {
namespace {

// Route lengths per stop time, without and with diversification.
template <class T> struct PerStopTime {
    std::vector<T> without;
    std::vector<T> with;
};

// Every run of the plan, each announced before it starts; the summed lengths, or nothing when
// a run did not finish (its ending is then shown).
std::optional<PerStopTime<double>> measure(std::ostream& out, const Graph& graph,
                                           const MeasurementPlan& plan,
                                           const TabuStopFactory& stopFor,
                                           const RunLimits& limits) {
    const std::size_t timeCount = plan.measurementTimes.size();
    PerStopTime<double> sums{std::vector<double>(timeCount, 0.0),
                             std::vector<double>(timeCount, 0.0)};
    const auto run = [&](int pass, std::int32_t stopTime, bool diversification, double& sum) {
        out << texts::measurement << stopTime << texts::seconds << pass << texts::passOf
            << plan.repetitions << (diversification ? texts::withRestarts : texts::withoutRestarts)
            << std::endl;
        const std::unique_ptr<TabuStop> stop = stopFor(static_cast<std::uint32_t>(stopTime));
        const Outcome<TabuResult> outcome =
            tabuSearch(graph, TabuParameters(diversification), *stop, limits);
        // A series cut short has no averages worth a file.
        if (outcome.ending != Ending::Finished) {
            printEnding(out, outcome.ending);
            return false;
        }
        sum += static_cast<double>(routeLength(graph, outcome.result.bestRoute));
        return true;
    };
    for (int pass = 1; pass <= plan.repetitions; ++pass) {
        for (std::size_t i = 0; i < timeCount; ++i) {
            const std::int32_t stopTime = plan.measurementTimes[i];
            if (!run(pass, stopTime, false, sums.without[i]) ||
                !run(pass, stopTime, true, sums.with[i])) {
                return std::nullopt;
            }
        }
    }
    return sums;
}

PerStopTime<std::int32_t> averages(const PerStopTime<double>& sums, int repetitions) {
    PerStopTime<std::int32_t> result;
    for (std::size_t i = 0; i < sums.without.size(); ++i) {
        result.without.push_back(averageLength(sums.without[i], repetitions));
        result.with.push_back(averageLength(sums.with[i], repetitions));
    }
    return result;
}

// The results file's five lines; if the file cannot be written, they are shown instead, since the
// series may have run for minutes.
void writeOrShow(std::ostream& out, const MeasurementPlan& plan,
                 const PerStopTime<std::int32_t>& averages) {
    std::vector<std::string> lines{std::string(texts::resultsHeader)};
    for (std::size_t i = 0; i < plan.measurementTimes.size(); ++i) {
        lines.push_back(std::to_string(plan.measurementTimes[i]) +
                        std::string(texts::resultsStopTime) + std::to_string(averages.without[i]) +
                        ' ' + std::to_string(averages.with[i]));
    }
    std::string contents;
    for (const std::string& line : lines) {
        contents += line + '\n';
    }
    if (replaceFile(plan.resultsFile, contents)) {
        printLine(out, texts::done);
        printLine(out);
        return;
    }
    for (const std::string& line : lines) {
        printLine(out, line);
    }
    printRefusal(out, texts::Refusal::ResultsNotWritten, plan.resultsFile);
}

} // namespace

std::int32_t averageLength(double sum, int repetitions) {
    // nearbyint rounds in the default mode, which sends halves to the even neighbour.
    const double average = std::nearbyint(sum / repetitions);
    if (std::isnan(average)) {
        return 0;
    }
    constexpr auto lowest = static_cast<double>(std::numeric_limits<std::int32_t>::min());
    constexpr auto highest = static_cast<double>(std::numeric_limits<std::int32_t>::max());
    return static_cast<std::int32_t>(std::clamp(average, lowest, highest));
}

void runMeasurementSeries(std::ostream& out, const Graph& graph, const MeasurementPlan& plan,
                          const TabuStopFactory& stopFor, const RunLimits& limits) {
    const TabuParameters parameters;
    printLine(out, texts::seriesTitle);
    out << texts::tenure << parameters.getTenure() << std::endl;
    out << texts::seriesCriterion << parameters.getCriterion() << texts::iterations << std::endl;
    const std::optional<PerStopTime<double>> sums = measure(out, graph, plan, stopFor, limits);
    if (!sums) {
        return;
    }
    printLine(out, texts::processing);
    const PerStopTime<std::int32_t> results = averages(*sums, plan.repetitions);
    printLine(out, texts::saving);
    writeOrShow(out, plan, results);
}

} // namespace komiwojazer
