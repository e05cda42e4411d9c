#pragma once

#include "app/SolverRuns.h"
#include "graph/Graph.h"
#include "step/RunLimits.h"

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

namespace komiwojazer {

// The fixed experiment of choice 7; tests shrink it, the menu uses the defaults.
struct MeasurementPlan {
    std::vector<std::int32_t> measurementTimes{1, 5, 10, 15}; // stop times, in run and file order
    int repetitions = 10;                                     // passes, and the averages' divisor
    std::string resultsFile = "wyniki-komiwojazer-ts.txt";    // written once, at the end
};

// The average of repetitions lengths that add up to sum, as the results file shows it: rounded to
// the nearest whole number, halves to the even neighbour, and held in 32 bits, which saturate.
std::int32_t averageLength(double sum, int repetitions);

// Menu choice 7 on an instance: runs the series and writes the averaged lengths.
void runMeasurementSeries(std::ostream& out, const Graph& graph, const MeasurementPlan& plan,
                          const TabuStopFactory& stopFor, const RunLimits& limits);

} // namespace komiwojazer
