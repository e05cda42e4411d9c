#pragma once

#include "graph/Graph.h"
#include "graph/RunLimits.h"
#include "solvers/Route.h"

#include <cstdint>
#include <functional>

namespace komiwojazer {

// The search's parameters; the defaults are the ones every run of the program uses.
struct TabuParameters {
    int tenure = 40;                     // iterations for which a move stays tabu
    bool diversification = true;         // restart from a new route when the search stalls
    int diversificationCriterion = 1000; // iterations without improvement that trigger a restart
    // The vertex count from which the search keeps each row's best pair up to date instead of
    // rating every pair every iteration. Both ways choose the same pairs; the incremental one is
    // the faster from about 90 vertices on.
    std::uint32_t incrementalFrom = 90;
};

// Decides, from outside the search, when it stops and how its restarts are seeded.
struct TabuControl {
    // Called once, right after the initial route is built (the stop clock starts there).
    std::function<void()> start;
    // Asked after every iteration with the number of iterations done so far; true ends the search.
    std::function<bool(std::uint64_t iterations)> stop;
    // Told after every restart.
    std::function<void()> restarted;
    // Seed for the pseudo-random generator at each restart; empty means the wall clock in seconds.
    std::function<unsigned()> restartSeed;
};

// Everything a run ends with; the route report needs only bestRoute.
struct TabuOutcome {
    Route bestRoute; // shortest route moved to; empty if no move was ever made
    std::uint32_t bestLength = noValue;
    Route currentRoute; // where the search stood when it stopped
    std::uint64_t iterations = 0;
    std::uint64_t restarts = 0;
    bool outOfMemory = false; // the search tables did not fit the budget; nothing was searched
};

// Searches until control says stop or limits cancel the run.
TabuOutcome runTabuSearch(const Graph& graph, const TabuParameters& parameters,
                          const TabuControl& control, const RunLimits& limits = {});

// Stops once more than stopTime seconds of processor time have passed since the start.
TabuControl processTimeLimit(std::uint32_t stopTime);

// Stops after the given number of iterations; restarts are seeded with restartSeed.
TabuControl iterationLimit(std::uint64_t iterations, unsigned restartSeed);

// Tabu search with a processor-time stop; returns the best route found.
Route tabuSearch(const Graph& graph, int tenure, bool diversification, int diversificationCriterion,
                 std::uint32_t stopTime);

} // namespace komiwojazer
