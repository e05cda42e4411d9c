#include "SessionTestSupport.h"

#include "app/SolverRuns.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/stat.h>
#include <utility>
#include <vector>

namespace komiwojazer {
namespace {

using namespace komiwojazer::testing;

// Stands in for the search: records what each run was handed and returns the given route.
struct SearchSpy {
    std::vector<std::pair<bool, std::uint32_t>> runs; // diversification and stop time per run
    Route route{0, 1, 2, 3, 0};                       // of length 8 on the four-vertex instance
    std::uint64_t interruptAtRun = 0;                 // raise SIGINT during this run (from 1)

    MenuOptions options() {
        MenuOptions options;
        options.tabuRun = [this](const Graph&, const TabuParameters& parameters,
                                 std::uint32_t stopTime, const RunLimits&) {
            runs.emplace_back(parameters.diversification, stopTime);
            if (runs.size() == interruptAtRun) {
                std::raise(SIGINT);
            }
            TabuOutcome outcome;
            outcome.bestRoute = route;
            return outcome;
        };
        return options;
    }
};

// Choices 5 and 7 hand the search its flag and stop time; the series writes the default results
// file into the working directory, and a second series replaces it without the first one's sums.
TEST(MeasurementSeries, RunsInOrderAndEachSeriesWritesItsOwnFile) {
    const TempDir dir;
    const std::string file = dir.file("four.atsp", fourVertexMatrix);
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(dir.path);
    SearchSpy spy;
    std::vector<std::pair<bool, std::uint32_t>> expected{{true, 10}, {false, 10}, {false, 3}};
    for (int pass = 0; pass < 10; ++pass) {
        for (const std::uint32_t stopTime : {1u, 5u, 10u, 15u}) {
            expected.insert(expected.end(), {{false, stopTime}, {true, stopTime}});
        }
    }
    const std::string out = screen("8 " + file + " 5 3 5 4 3 5 7", spy.options());
    EXPECT_EQ(spy.runs, expected);
    EXPECT_NE(out.find("Kryterium dywersyfikacji: 1000 iteracji\n"
                       "Pomiar 1 [s] (1 z 10 bez dywersyfikacji)...\n"
                       "Pomiar 1 [s] (1 z 10 z dywersyfikacja)...\nPomiar 5 [s] (1 z 10 bez"),
              std::string::npos);
    EXPECT_NE(out.find("Pomiar 15 [s] (10 z 10 z dywersyfikacja)...\n"
                       "Opracowywanie wynikow...\nZapis wynikow...\nGotowe!\n\n<menu>\nKonczenie"),
              std::string::npos);
    EXPECT_EQ(fileContents("wyniki-komiwojazer-ts.txt"),
              "czas - bez dywersyfikacji - z dywersyfikacja\n"
              "1 [s]: 8 8\n5 [s]: 8 8\n10 [s]: 8 8\n15 [s]: 8 8\n");
    spy.route = {0, 2, 3, 1, 0}; // length 15
    static_cast<void>(screen("8 " + file + " 7", spy.options()));
    EXPECT_EQ(fileContents("wyniki-komiwojazer-ts.txt").substr(45, 22), "1 [s]: 15 15\n5 [s]: 15");
    std::filesystem::current_path(before);
}

// A results file that cannot be replaced (a directory, a pipe) never blocks the program: the
// results are shown instead. A symbolic link leads to the file that is replaced.
TEST(MeasurementSeries, ResultsGoWhereTheyCan) {
    const TempDir dir;
    const std::string file = dir.file("four.atsp", fourVertexMatrix);
    ASSERT_EQ(::mkfifo((dir.path / "pipe").c_str(), 0600), 0);
    std::filesystem::create_directory(dir.path / "directory");
    std::filesystem::create_symlink("directory/target.txt", dir.path / "link");
    SearchSpy spy;
    MenuOptions options = spy.options();
    options.measurements.measurementTimes = {2};
    options.measurements.repetitions = 1;
    for (const char* name : {"pipe", "directory"}) {
        options.measurements.resultsFile = (dir.path / name).string();
        EXPECT_NE(screen("8 " + file + " 7 0", options)
                      .find("Zapis wynikow...\nczas - bez dywersyfikacji - z dywersyfikacja\n"
                            "2 [s]: 8 8\n+++ MELON MELON MELON +++ Blad zapisu pliku " +
                            options.measurements.resultsFile + " +++\n\n<menu>\n"),
                  std::string::npos);
    }
    options.measurements.resultsFile = (dir.path / "link").string();
    EXPECT_NE(screen("8 " + file + " 7 0", options).find("Gotowe!"), std::string::npos);
    EXPECT_TRUE(std::filesystem::is_symlink(dir.path / "link"));
    EXPECT_EQ(fileContents((dir.path / "directory/target.txt").string()),
              "czas - bez dywersyfikacji - z dywersyfikacja\n2 [s]: 8 8\n");
}

// Ctrl-C ends a series without a file, and a tabu run with its best route so far.
TEST(Interruption, CtrlCEndsTheRunItHits) {
    const TempDir dir;
    const std::string file = dir.file("four.atsp", fourVertexMatrix);
    SearchSpy spy;
    spy.interruptAtRun = 3;
    MenuOptions options = spy.options();
    options.measurements.resultsFile = (dir.path / "results.txt").string();
    EXPECT_NE(screen("8 " + file + " 7 0", options)
                  .find("Pomiar 5 [s] (1 z 10 bez dywersyfikacji)...\n"
                        "+++ MELON MELON MELON +++ Przerwano +++\n\n<menu>\n"),
              std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(options.measurements.resultsFile));

    options.tabuRun = [](const Graph& graph, const TabuParameters& parameters, std::uint32_t,
                         const RunLimits& limits) {
        TabuControl control = iterationLimit(100'000, 1); // far more than the test waits for
        control.stop = [](std::uint64_t iterations) {
            if (iterations == 30) {
                std::raise(SIGINT);
            }
            return iterations >= 100'000;
        };
        return runTabuSearch(graph, parameters, control, limits);
    };
    EXPECT_NE(withoutTimes(screen("8 " + file + " 5 0", options))
                  .find("iteracji\n\n+++ MELON MELON MELON +++ Przerwano +++\n\n0\t0\t0\n"),
              std::string::npos);
}

// A search whose tables do not fit keeps the instance; one of no vertices reports an empty route.
TEST(SolverChoices, BranchAndBoundOutOfMemoryOrWithoutVertices) {
    MenuOptions options = quickOptions();
    options.memoryCapBytes = 2000; // room for the instance, not for the search's tables
    const std::string out = screen("1 12 6 2 0", options);
    EXPECT_NE(out.find("<menu>\n+++ MELON MELON MELON +++ Brak pamieci +++\n\n<menu>\n"),
              std::string::npos);
    EXPECT_EQ(countOf(out, "\t\n"), 12);
    EXPECT_TRUE(withoutTimes(screen("1 0 6"))
                    .starts_with("<menu>\nLiczba miast: \n<menu>\nDlugosc trasy: 0\n\nCzas "
                                 "wykonania algorytmu [s]: T\n\n"));
}

} // namespace
} // namespace komiwojazer
