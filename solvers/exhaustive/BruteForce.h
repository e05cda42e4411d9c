#pragma once

#include "graph/Graph.h"
#include "solvers/Route.h"

namespace komiwojazer {

// Tries every route from vertex 0 in lexicographic order and returns the first shortest one;
// empty for fewer than two vertices.
Route bruteForce(const Graph& graph);

} // namespace komiwojazer
