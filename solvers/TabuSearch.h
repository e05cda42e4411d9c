#pragma once

#include "graph/Graph.h"
#include "solvers/Route.h"

#include <atomic>
#include <cstdint>
#include <functional>

namespace komiwojazer {

// The driver's constants are the defaults.
struct TabuParameters {
    int tenure = 40;                     // iterations for which a move stays tabu
    bool diversification = true;         // restart from a new route when the search stalls
    int diversificationCriterion = 1000; // iterations without improvement that trigger a restart
};

// Decides, from outside the search, when it stops and how its restarts are seeded.
struct TabuControl {
    // Called once, right after the initial route is built (the stop clock starts there).
    std::function<void()> start;
    // Asked after every iteration with the number of iterations done so far; true ends the search.
    std::function<bool(std::uint64_t iterations)> stop;
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
    bool outOfMemory = false; // the search tables did not fit; nothing was searched
};

TabuOutcome runTabuSearch(const Graph& graph, const TabuParameters& parameters,
                          const TabuControl& control);

// Stops when more than stopTime seconds of processor time have passed since the start, or when
// cancel (if given) becomes true.
TabuControl processTimeLimit(std::uint32_t stopTime, const std::atomic<bool>* cancel = nullptr);

// Stops after the given number of iterations; restarts are seeded with restartSeed.
TabuControl iterationLimit(std::uint64_t iterations, unsigned restartSeed);

// Tabu search with a processor-time stop; returns the best route found.
Route tabuSearch(const Graph& graph, int tenure, bool diversification, int diversificationCriterion,
                 std::uint32_t stopTime);

} // namespace komiwojazer
