#pragma once

#include "app/TabuSettings.h"
#include "graph/Graph.h"
#include "solvers/Route.h"
#include "solvers/tabu/TabuStop.h"
#include "step/RunLimits.h"
#include "step/Stopwatch.h"

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <memory>

namespace komiwojazer {

// How choices 5 and 7 stop a tabu search given a stop time in seconds. The program stops it on
// processor time (ProcessTimeStop); tests and fuzzing cut it short.
using TabuStopFactory = std::function<std::unique_ptr<TabuStop>(std::uint32_t stopTime)>;

// The program's: a ProcessTimeStop.
std::unique_ptr<TabuStop> processTimeStop(std::uint32_t stopTime);

// Prints a route edge by edge with a running total, its length and the run time.
void displayRoute(std::ostream& out, const Graph& graph, const Route& route, double seconds);

// Menu choice 5 on an instance.
void runTabuChoice(std::ostream& out, const Graph& graph, const TabuSettings& settings,
                   Stopwatch& stopwatch, const TabuStopFactory& stopFor, const RunLimits& limits);

// Menu choice 6 on an instance; the limits are the whole run's, of which the search takes its
// share.
void runBranchAndBoundChoice(std::ostream& out, const Graph& graph, Stopwatch& stopwatch,
                             const RunLimits& limits);

} // namespace komiwojazer
