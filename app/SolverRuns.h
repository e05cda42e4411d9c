#pragma once

#include "app/TabuSettings.h"
#include "graph/Graph.h"
#include "graph/RunLimits.h"
#include "solvers/Route.h"
#include "solvers/Stopwatch.h"
#include "solvers/TabuSearch.h"

#include <cstdint>
#include <functional>
#include <iosfwd>

namespace komiwojazer {

// One tabu run of the menu (choices 5 and 7) with its parameters and stop time in seconds.
using TabuRun = std::function<TabuOutcome(const Graph& graph, const TabuParameters& parameters,
                                          std::uint32_t stopTime, const RunLimits& limits)>;

// The program's tabu run: it stops on processor time and seeds restarts from the wall clock.
TabuOutcome timedTabuRun(const Graph& graph, const TabuParameters& parameters,
                         std::uint32_t stopTime, const RunLimits& limits);

// Prints a route edge by edge with a running total, its length and the run time.
void displayRoute(std::ostream& out, const Graph& graph, const Route& route, double seconds);

// Menu choice 5. graph may be null.
void runTabuChoice(std::ostream& out, const Graph* graph, const TabuSettings& settings,
                   Stopwatch& stopwatch, const TabuRun& tabuRun, const RunLimits& limits);

// Menu choice 6. graph may be null.
void runBranchAndBoundChoice(std::ostream& out, const Graph* graph, Stopwatch& stopwatch,
                             const RunLimits& limits);

} // namespace komiwojazer
