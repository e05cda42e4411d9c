#pragma once

#include "graph/Graph.h"
#include "solvers/tabu/TabuSearch.h"

namespace komiwojazer::plain {

// Tabu search carried out step by step: every candidate is a full copy of the route with its full
// length, the tabu list is a vector of three-number entries scanned in full, and the greedy steps
// find membership by scanning the route. It settles the open cases as tabuSearch does and takes
// the same stop. The tests' reference and the speed reference for the benchmark.
TabuResult plainTabuSearch(const Graph& graph, const TabuParameters& parameters, TabuStop& stop);

} // namespace komiwojazer::plain
