#pragma once

#include "graph/Graph.h"
#include "solvers/Route.h"
#include "solvers/branchandbound/BranchAndBound.h"

#include <cstdint>

namespace komiwojazer::plain {

// Best-first branch and bound carried out step by step: every node a vector holding its key and
// a full copy of its route, every key recomputed with linear scans, a plain array heap of such
// vectors as the queue, no memory limit. The tests' reference and the speed reference for the
// benchmark.
BranchAndBoundResult plainBranchAndBound(const Graph& graph);

} // namespace komiwojazer::plain
