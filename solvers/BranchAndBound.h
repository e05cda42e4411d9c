#pragma once

#include "graph/Graph.h"
#include "solvers/Route.h"

#include <atomic>
#include <cstdint>

namespace komiwojazer {

struct BranchAndBoundOptions {
    // Bytes the open nodes may take; 0 means half of the memory available when the run starts.
    std::uint64_t memoryBudgetBytes = 0;
    // When it becomes true the search stops at its next node.
    const std::atomic<bool>* cancel = nullptr;
};

struct BranchAndBoundOutcome {
    enum class Status { Solved, OutOfMemory, Cancelled };
    Status status = Status::Solved;
    Route route;                  // optimal route when solved; empty for fewer than two vertices
    std::uint64_t expansions = 0; // nodes taken from the queue and expanded
    std::uint64_t pushed = 0;     // nodes put on the queue, the initial one included
    std::uint64_t maxQueue = 0;   // most nodes queued at once
};

BranchAndBoundOutcome runBranchAndBound(const Graph& graph,
                                        const BranchAndBoundOptions& options = {});

// Best-first branch and bound; a shortest route from vertex 0, empty for fewer than two vertices.
Route branchAndBound(const Graph& graph);

} // namespace komiwojazer
