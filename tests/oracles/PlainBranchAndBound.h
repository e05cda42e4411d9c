#pragma once

#include "graph/Graph.h"
#include "solvers/BranchAndBound.h"
#include "solvers/Route.h"

#include <cstdint>

namespace komiwojazer::plain {

// Best-first branch and bound carried out step by step: every node a vector holding its key and
// a full copy of its route, every key recomputed with linear scans, the standard library's heap as
// the queue, no memory limit. The oracle for the tests and the speed reference for the benchmark;
// status is always Solved.
BranchAndBoundOutcome plainBranchAndBound(const Graph& graph);

// The key that the search gives a node whose partial route is route: vertex 0 first, then at
// least one more vertex, and at least one vertex of the graph left off it.
std::uint32_t plainBound(const Graph& graph, const Route& route);

} // namespace komiwojazer::plain
