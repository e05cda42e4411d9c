#include "app/SolverRuns.h"

#include "tests/app/SessionSupport.h"

#include <gtest/gtest.h>

#include <sstream>
#include <tuple>
#include <utility>

namespace komiwojazer {
namespace {

using namespace komiwojazer::testing;
using SolverRuns = FiveVertexTest;

std::string report(const Graph& graph, const Route& route, double seconds) {
    std::ostringstream out;
    displayRoute(out, graph, route, seconds);
    return out.str();
}

// The table's first line names the first entry with 0 and 0, every other line the entry, the
// weight that reaches it and the running total; the time keeps six significant digits.
TEST_F(SolverRuns, ReportListsEveryEdgeWithARunningTotal) {
    const auto graph = fixtures::matrixGraph({{0, 1, 5}, {3, 0, 1}, {1, 7, 0}});
    EXPECT_EQ(report(*graph, {0, 2, 1, 0}, 1.5),
              "0\t0\t0\n2\t5\t5\n1\t7\t12\n0\t3\t15\nDlugosc trasy: 15\n\n"
              "Czas wykonania algorytmu [s]: 1.5\n\n");
    // A route found after a restart starts where the restart drew.
    EXPECT_EQ(report(*graph, {2, 0, 1, 2}, 123.4567891),
              "2\t0\t0\n0\t1\t1\n1\t1\t2\n2\t1\t3\nDlugosc trasy: 3\n\n"
              "Czas wykonania algorytmu [s]: 123.457\n\n");
    EXPECT_EQ(report(*graph, {}, 0.0000012345),
              "Dlugosc trasy: 0\n\nCzas wykonania algorytmu [s]: 1.2345e-06\n\n");
}

// What the stand-ins for the processor clock read: the iterations that the search has done, or
// the clock's last reading.
std::uint64_t iterationsDone = 0;
std::clock_t lastTicks = 0;

// The time that a report shows is the stopwatch's, read just before and just after the solver's
// run: 200 iterations of a millisecond each for a tabu search, one second between the two
// readings for branch and bound.
TEST_F(SolverRuns, ReportsShowTheTimeOfTheRunAlone) {
    MenuOptions options;
    options.tabuStop = [](std::uint32_t) -> std::unique_ptr<TabuStop> {
        class Counted final : public TabuStop {
            void start() override { iterationsDone = 0; }
            [[nodiscard]] bool reached(std::uint64_t done) override {
                iterationsDone = done;
                return done >= 200;
            }
            [[nodiscard]] unsigned restartSeed() override { return 1; }
        };
        return std::make_unique<Counted>();
    };
    // A millisecond for each iteration.
    options.processClock = [] {
        return static_cast<std::clock_t>(iterationsDone * CLOCKS_PER_SEC / 1000);
    };
    std::ostringstream tabu;
    tabu << "Czas wykonania algorytmu [s]: "
         << static_cast<double>(200 * CLOCKS_PER_SEC / 1000) / CLOCKS_PER_SEC << '\n';
    EXPECT_EQ(countOf(runSession("8 " + five + " 5 0", options).output, tabu.str()), 1);
    options.processClock = [] { return lastTicks += CLOCKS_PER_SEC; }; // a second a reading
    EXPECT_EQ(countOf(runSession("8 " + five + " 6 0", options).output,
                      "Czas wykonania algorytmu [s]: 1\n"),
              1);
}

// Choice 5 hands the search the flag and the stop time of the settings: with diversification on,
// the search restarts once on the five-vertex instance within 1003 iterations.
TEST_F(SolverRuns, TabuChoiceRunsWithTheSettings) {
    StopSpy spy;
    const std::string shown = screen("8 " + five + " 5 3 5 4 7 3 5", spy.options());
    ASSERT_EQ(spy.runs.size(), 3u);
    const std::pair<std::uint32_t, std::uint64_t> expected[] = {{10, 1}, {10, 0}, {7, 1}};
    for (std::size_t k = 0; k < 3; ++k) {
        EXPECT_EQ(std::pair(spy.runs[k].stopTime, spy.runs[k].restarts), expected[k]) << k;
    }
    // Without restarts the best is 25; with them 19 after 1003 iterations (10 s) and 22 after
    // 1002 (7 s).
    for (const char* length : {"25", "19", "22"}) {
        EXPECT_EQ(countOf(shown, "Dlugosc trasy: " + std::string(length) + "\n"), 1) << shown;
    }
}

// Ctrl-C ends a tabu search, which shows its best route so far; a refused stop time runs nothing.
TEST_F(SolverRuns, TabuChoiceInterruptedOrRefused) {
    StopSpy spy{.interruptRun = 1, .interruptIteration = 30};
    EXPECT_NE(screen("8 " + five + " 3 5", spy.options())
                  .find("Dywersyfikacja wylaczona\n\n" + alarm("Przerwano") +
                        "0\t0\t0\n2\t3\t3\n3\t9\t12\n4\t2\t14\n1\t6\t20\n0\t5\t25\nDlugosc trasy: "
                        "25\n\nCzas wykonania algorytmu [s]: T\n\n<menu>"),
              std::string::npos);
    // Stopped before its first move, the search has no route to show.
    StopSpy early{.interruptRun = 1};
    EXPECT_NE(screen("8 " + five + " 5", early.options())
                  .find("iteracji\n\n" + alarm("Przerwano") + "<menu>\n" + farewellText),
              std::string::npos);
    for (const char* stopTime : {"0", "-1"}) {
        StopSpy idle;
        EXPECT_NE(screen("8 " + five + " 4 " + stopTime + " 5", idle.options())
                      .find("Podaj nowy czas: \n<menu>\n" + alarm("Blad: Brak Sera! +++ !!!!!") +
                            "<menu>\n" + farewellText),
                  std::string::npos);
        EXPECT_TRUE(idle.runs.empty());
    }
}

// The memory a run may take, at the exact boundary: the five-vertex search's tables take 429
// bytes; from 90 vertices on the search's incremental neighbourhood takes 107,914 bytes at 90
// vertices, where the full scan would take 107,104; branch and bound takes half of what is free and
// needs 98,496 bytes for four vertices (the weights, the sorted rows, one block of queued nodes and
// one of the search tree). A refusal keeps the instance.
TEST_F(SolverRuns, RunsFitTheirMemoryToTheByte) {
    const std::string loadFive = "8 " + five;
    const std::string four = "8 " + dir.file("four.atsp", fourVertexMatrix);
    const std::string noMemory = alarm("Brak pamieci");
    // What is typed, the cap, whether the run fits, and the vertices that choice 2 then shows.
    const std::tuple<std::string, std::uint64_t, bool, int> cases[] = {
        {loadFive + " 5", 429, true, 5}, {loadFive + " 5", 428, false, 5},
        {"1 90 5", 107'914, true, 90},   {"1 90 5", 107'913, false, 90},
        {"1 89 5", 104'757, true, 89},   {"1 89 5", 104'756, false, 89},
        {four + " 6", 196'992, true, 4}, {four + " 6", 196'991, false, 4},
    };
    for (const auto& [input, cap, fits, vertices] : cases) {
        const std::string shown = screen(input + " 2", quickOptions(cap));
        EXPECT_EQ(countOf(shown, noMemory), fits ? 0 : 1) << input << " within " << cap;
        EXPECT_EQ(countOf(shown, "Dlugosc trasy: "), fits ? 1 : 0) << input << " within " << cap;
        EXPECT_EQ(countOf(shown, "\t\n"), vertices) << input << " within " << cap;
    }
}

} // namespace
} // namespace komiwojazer
