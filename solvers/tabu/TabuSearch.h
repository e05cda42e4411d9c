#pragma once

#include "graph/Graph.h"
#include "solvers/Route.h"
#include "solvers/tabu/TabuStop.h"
#include "step/Outcome.h"
#include "step/RunLimits.h"

#include <cstdint>
#include <optional>

namespace komiwojazer {

// The search's parameters. The default ones are those of every run of the program; a search with
// others is made with of(), which refuses what no search can use.
class TabuParameters {
public:
    // Tenure 40 and criterion 1000, the program's.
    explicit TabuParameters(bool diversification = true) : diversification(diversification) {}
    // Nothing when tenure or criterion is below 1: a move that is never tabu, or a restart after
    // every iteration, are no tabu search.
    [[nodiscard]] static std::optional<TabuParameters> of(int tenure, bool diversification,
                                                          int diversificationCriterion);

    // Iterations for which a move stays tabu.
    [[nodiscard]] std::uint32_t getTenure() const { return tenure; }
    // Whether the search restarts from a new route when it stalls.
    [[nodiscard]] bool getDiversification() const { return diversification; }
    // Iterations without improvement that trigger a restart.
    [[nodiscard]] std::uint32_t getCriterion() const { return criterion; }

    // The vertex count from which the search keeps each row's best pair up to date instead of
    // rating every pair every iteration. Both ways choose the same pairs; the incremental one is
    // the faster from about 90 vertices on. Tests and the benchmark move it to compare the two.
    std::uint32_t incrementalFrom = 90;

private:
    std::uint32_t tenure = 40;
    bool diversification;
    std::uint32_t criterion = 1000;
};

// What a search has to show, also when it was stopped early.
struct TabuResult {
    Route bestRoute;                    // shortest route moved to; empty if no move was ever made
    std::uint32_t bestLength = noValue; // its length
    Route currentRoute;                 // where the search stood when it stopped
    std::uint64_t iterations = 0;       // iterations done
    std::uint64_t restarts = 0;         // restarts done
};

// Tabu search until stop says so (Finished) or limits cancel it (Interrupted, with the best route
// so far); OutOfMemory, having searched nothing, when its tables do not fit the budget.
Outcome<TabuResult> tabuSearch(const Graph& graph, const TabuParameters& parameters, TabuStop& stop,
                               const RunLimits& limits = {});

// Tabu search with a processor-time stop and restarts seeded from the wall clock; the best route
// found, empty when tenure or criterion is below 1.
Route tabuSearch(const Graph& graph, int tenure, bool diversification, int diversificationCriterion,
                 std::uint32_t stopTime);

} // namespace komiwojazer
