#pragma once

#include "graph/Graph.h"
#include "solvers/Route.h"
#include "step/Outcome.h"
#include "step/RunLimits.h"

#include <cstdint>

namespace komiwojazer {

// What a branch-and-bound search has to show, and how much work it did.
struct BranchAndBoundResult {
    Route route;                  // optimal route when finished; empty below two vertices
    std::uint64_t expansions = 0; // nodes taken from the queue and expanded
    std::uint64_t pushed = 0;     // nodes put on the queue, the initial one included
    std::uint64_t maxQueue = 0;   // most nodes queued at once
};

// The search within the limits: its tables and the stores of open nodes are all charged to the
// memory budget, and it ends with OutOfMemory when they outgrow it, or Interrupted when cancelled;
// the route is optimal only when it Finished.
Outcome<BranchAndBoundResult> branchAndBound(const Graph& graph, const RunLimits& limits);

// Best-first branch and bound; a shortest route from vertex 0, empty for fewer than two vertices.
Route branchAndBound(const Graph& graph);

} // namespace komiwojazer
