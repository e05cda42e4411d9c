#pragma once

#include "graph/Graph.h"
#include "graph/RunLimits.h"
#include "solvers/Route.h"

#include <cstdint>

namespace komiwojazer {

struct BranchAndBoundOutcome {
    enum class Status { Solved, OutOfMemory, Cancelled };
    Status status = Status::Solved;
    Route route;                  // optimal route when solved; empty for fewer than two vertices
    std::uint64_t expansions = 0; // nodes taken from the queue and expanded
    std::uint64_t pushed = 0;     // nodes put on the queue, the initial one included
    std::uint64_t maxQueue = 0;   // most nodes queued at once
};

// The search within the limits: its tables and the stores of open nodes are all charged to the
// memory budget, and it stops with OutOfMemory when they outgrow it.
BranchAndBoundOutcome runBranchAndBound(const Graph& graph, const RunLimits& limits = {});

// Best-first branch and bound; a shortest route from vertex 0, empty for fewer than two vertices.
Route branchAndBound(const Graph& graph);

} // namespace komiwojazer
