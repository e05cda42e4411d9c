#pragma once

#include "app/MeasurementSeries.h"
#include "app/SolverRuns.h"
#include "solvers/BranchAndBound.h"

#include <iosfwd>

namespace komiwojazer {

// What a test or a fuzzing build may change about the loop; the defaults are the program's.
struct MenuOptions {
    TabuStopFactory tabuStop = processTimeStop(); // when each tabu run stops
    MeasurementPlan measurements;                 // the series of choice 7
    BranchAndBoundOptions branchAndBound;         // memory budget of choice 6
};

// Runs the interactive menu on the given streams until the user ends it or the input ends;
// returns the process exit status.
int runMenu(std::istream& in, std::ostream& out, const MenuOptions& options = {});

} // namespace komiwojazer
