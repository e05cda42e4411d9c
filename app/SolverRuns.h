#pragma once

#include "app/TabuSettings.h"
#include "graph/Graph.h"
#include "solvers/BranchAndBound.h"
#include "solvers/Route.h"
#include "solvers/Stopwatch.h"
#include "solvers/TabuSearch.h"

#include <cstdint>
#include <functional>
#include <iosfwd>

namespace komiwojazer {

// Tenure and diversification criterion of every tabu run that the menu starts.
inline constexpr int driverTenure = 40;
inline constexpr int driverDiversificationCriterion = 1000;

// Makes the stop condition of one tabu run from its stop time in seconds.
using TabuStopFactory = std::function<TabuControl(std::uint32_t stopTime)>;

// The stop condition the program uses: processor time.
TabuStopFactory processTimeStop();

// The same stop condition, which also gives way to Ctrl-C.
TabuControl interruptible(TabuControl control);

// Tells the user that Ctrl-C ended the work.
void printInterrupted(std::ostream& out);

// Prints a route edge by edge with a running total, its length and the run time.
void displayRoute(std::ostream& out, const Graph& graph, const Route& route, double seconds);

// Menu choice 5. graph may be null.
void runTabuChoice(std::ostream& out, const Graph* graph, const TabuSettings& settings,
                   Stopwatch& stopwatch, const TabuStopFactory& stopFactory);

// Menu choice 6. graph may be null.
void runBranchAndBoundChoice(std::ostream& out, const Graph* graph, Stopwatch& stopwatch,
                             const BranchAndBoundOptions& options);

} // namespace komiwojazer
