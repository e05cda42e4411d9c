#pragma once

#include "app/MeasurementSeries.h"
#include "app/SolverRuns.h"
#include "app/SystemMemory.h"
#include "step/RunLimits.h"

#include <cstdint>
#include <ctime>
#include <iosfwd>

namespace komiwojazer {

// What a test or a fuzzing build may change about the loop; the defaults are the program's.
struct MenuOptions {
    TabuStopFactory tabuStop = processTimeStop;    // how choices 5 and 7 stop the search
    MeasurementPlan measurements;                  // the series of choice 7
    std::uint64_t memoryCapBytes = saturatedBytes; // the most a run may take, whatever is free
    MemorySources memory;                          // where the system shows what is free
    std::clock_t (*processClock)() = std::clock;   // what times choices 5 and 6
};

// Runs the interactive menu on the given streams until the user ends it or the input ends, and
// returns the process exit status: 0, or 1 when the output could not be written, which is then
// said in one line on err.
int runMenu(std::istream& in, std::ostream& out, std::ostream& err,
            const MenuOptions& options = {});

} // namespace komiwojazer
