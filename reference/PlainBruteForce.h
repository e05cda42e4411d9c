#pragma once

#include "graph/Graph.h"
#include "solvers/Route.h"

namespace komiwojazer::plain {

// Exhaustive search carried out step by step: every permutation of 1..n-1 in lexicographic order
// is built from scratch in a fresh Path, nothing is pruned. The tests' reference and the speed
// reference for the benchmark; empty for fewer than two vertices.
Route plainBruteForce(const Graph& graph);

} // namespace komiwojazer::plain
