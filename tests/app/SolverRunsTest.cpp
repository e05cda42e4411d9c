#include "SessionTestSupport.h"

#include "app/Interruption.h"
#include "app/MeasurementSeries.h"
#include "app/SolverRuns.h"
#include "graph/ArrayGraph.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace komiwojazer {
namespace {

using testing::afterBanner;
using testing::runSession;
using testing::TempFile;
using testing::withoutTimes;

// The worked four-vertex instance whose optimum is 0, 1, 2, 3, 0 of length 8.
const std::string fourVertexMatrix = "NAME: four\nTYPE: ATSP\nDIMENSION: 4\n"
                                     "EDGE_WEIGHT_TYPE: EXPLICIT\nEDGE_WEIGHT_FORMAT: FULL_MATRIX\n"
                                     "EDGE_WEIGHT_SECTION\n"
                                     "0 3 5 9\n4 0 2 7\n6 8 0 1\n2 5 4 0\nEOF\n";

TEST(RouteReport, PrintsEdgesWithRunningTotal) {
    ArrayGraph graph(3);
    graph.addEdge(0, 2, 5);
    graph.addEdge(2, 1, 7);
    graph.addEdge(1, 0, 3);
    std::ostringstream out;
    displayRoute(out, graph, {0, 2, 1, 0}, 0.25);
    EXPECT_EQ(out.str(), "0\t0\t0\n2\t5\t5\n1\t7\t12\n0\t3\t15\nDlugosc trasy: 15\n\n"
                         "Czas wykonania algorytmu [s]: 0.25\n\n");
}

TEST(RouteReport, EmptyRouteShowsLengthZero) {
    ArrayGraph graph(1);
    std::ostringstream out;
    displayRoute(out, graph, {}, 1e-7);
    EXPECT_EQ(out.str(), "Dlugosc trasy: 0\n\nCzas wykonania algorytmu [s]: 1e-07\n\n");
}

TEST(SolverChoices, TabuRunPrintsItsParametersThenTheRoute) {
    const TempFile file(fourVertexMatrix);
    const std::string out =
        withoutTimes(afterBanner(runSession("8 " + file.path + " 5 3 5 0").output));
    const std::string table = "0\t0\t0\n1\t3\t3\n2\t2\t5\n3\t1\t6\n0\t2\t8\nDlugosc trasy: 8\n\n"
                              "Czas wykonania algorytmu [s]: T\n\n";
    EXPECT_NE(out.find("<menu>\nKadencja: 40\nCzas zatrzymania algorytmu [s]: 10\n"
                       "Dywersyfikacja wlaczona, kryterium: 1000 iteracji\n\n" +
                       table + "<menu>\n"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("<menu>\nDywersyfikacja TS zostala wylaczona\n\n<menu>\nKadencja: 40\n"
                       "Czas zatrzymania algorytmu [s]: 10\nDywersyfikacja wylaczona\n\n" +
                       table),
              std::string::npos)
        << out;
}

TEST(SolverChoices, TabuRefusesStopTimesBelowOneButBranchAndBoundRuns) {
    const TempFile file(fourVertexMatrix);
    const std::string cheese = "+++ MELON MELON MELON +++ Blad: Brak Sera! +++ !!!!! +++\n\n";
    const std::string out =
        withoutTimes(afterBanner(runSession("8 " + file.path + " 4 0 5 4 -1 5 6 0").output));
    const std::string expected =
        "<menu>\nPodaj nazwe pliku: Wczytano - liczba wierzcholkow: 4\n\n"
        "<menu>\nPoprzedni czas pracy TS: 10\nPodaj nowy czas: \n<menu>\n" +
        cheese + "<menu>\nPoprzedni czas pracy TS: 0\nPodaj nowy czas: \n<menu>\n" + cheese +
        "<menu>\n0\t0\t0\n1\t3\t3\n2\t2\t5\n3\t1\t6\n0\t2\t8\nDlugosc trasy: 8\n\n"
        "Czas wykonania algorytmu [s]: T\n\n<menu>\n";
    EXPECT_EQ(out.substr(0, expected.size()), expected);
}

TEST(SolverChoices, BranchAndBoundOutOfMemoryKeepsTheInstance) {
    MenuOptions options;
    options.branchAndBound.memoryBudgetBytes = 1;
    const std::string out = afterBanner(runSession("1 12 6 2 0", options).output);
    const std::string expected = "<menu>\nLiczba miast: \n<menu>\n"
                                 "+++ MELON MELON MELON +++ Brak pamieci +++\n\n<menu>\n";
    ASSERT_EQ(out.substr(0, expected.size()), expected);
    EXPECT_EQ(std::count(out.begin(), out.end(), '\t'), 12 * 12);
}

TEST(LoadChoices, RefusedFilesKeepThePreviousInstance) {
    const TempFile good(fourVertexMatrix);
    const TempFile lower("DIMENSION: 2\nEDGE_WEIGHT_FORMAT: LOWER_DIAG_ROW\n"
                         "EDGE_WEIGHT_SECTION\n0 1 0\n");
    const std::string missing = (good.directory / "nothing-here.atsp").string();
    const std::string out = afterBanner(runSession("8 " + good.path + " 8 " + lower.path + " 9 " +
                                                   good.path + " 8 " + missing + " 2 0")
                                            .output);
    EXPECT_EQ(out,
              "<menu>\nPodaj nazwe pliku: Wczytano - liczba wierzcholkow: 4\n\n"
              "<menu>\nPodaj nazwe pliku: +++ MELON MELON MELON +++ Nieobslugiwany format "
              "LOWER_DIAG_ROW +++\n\n"
              "<menu>\nPodaj nazwe pliku: +++ MELON MELON MELON +++ Nieobslugiwany format "
              "EXPLICIT +++\n\n"
              "<menu>\nPodaj nazwe pliku: +++ MELON MELON MELON +++ Brak pliku " +
                  missing +
                  " +++\n\n"
                  "<menu>\n0\t3\t5\t9\t\n4\t0\t2\t7\t\n6\t8\t0\t1\t\n2\t5\t4\t0\t\n\n<menu>\n" +
                  testing::farewellOf(out));
}

TEST(LoadChoices, BrokenFilesNameWhatIsWrong) {
    const TempFile blank("DIMENSION : 3\nEDGE_WEIGHT_TYPE : EUC_2D\nNODE_COORD_SECTION\n");
    const TempFile cut("DIMENSION: 3\nEDGE_WEIGHT_FORMAT: FULL_MATRIX\nEDGE_WEIGHT_SECTION\n0 1");
    const TempFile negative("DIMENSION: -7\nEDGE_WEIGHT_TYPE: EUC_2D\nNODE_COORD_SECTION\n");
    const std::string out = afterBanner(
        runSession("9 " + blank.path + " 8 " + cut.path + " 9 " + negative.path + " 0").output);
    EXPECT_EQ(
        out.substr(0, out.find("Konczenie")),
        "<menu>\nPodaj nazwe pliku: +++ MELON MELON MELON +++ Brak klucza DIMENSION: w pliku " +
            blank.path +
            " +++\n\n"
            "<menu>\nPodaj nazwe pliku: +++ MELON MELON MELON +++ Niekompletny plik " +
            cut.path +
            " +++\n\n"
            "<menu>\nPodaj nazwe pliku: +++ MELON MELON MELON +++ Nieprawidlowy wymiar -7 "
            "+++\n\n<menu>\n");
}

TEST(MeasurementSeries, AveragesRoundHalvesToEven) {
    EXPECT_EQ(averageLength(125, 10), 12);
    EXPECT_EQ(averageLength(135, 10), 14);
    EXPECT_EQ(averageLength(126, 10), 13);
    EXPECT_EQ(averageLength(0, 10), 0);
}

TEST(MeasurementSeries, RunsInOrderAndWritesFiveLines) {
    const TempFile file(fourVertexMatrix);
    MenuOptions options;
    options.measurements.measurementTimes = {0, 2};
    options.measurements.repetitions = 2;
    options.measurements.resultsFile = (file.directory / "results.txt").string();
    // The settings must not matter to the series.
    const std::string out =
        afterBanner(runSession("8 " + file.path + " 3 4 0 7 0", options).output);
    const std::string series = "<menu>\nPomiary dla problemu komiwojazera, tabu search\n"
                               "Kadencja: 40\nKryterium dywersyfikacji: 1000 iteracji\n"
                               "Pomiar 0 [s] (1 z 2 bez dywersyfikacji)...\n"
                               "Pomiar 0 [s] (1 z 2 z dywersyfikacja)...\n"
                               "Pomiar 2 [s] (1 z 2 bez dywersyfikacji)...\n"
                               "Pomiar 2 [s] (1 z 2 z dywersyfikacja)...\n"
                               "Pomiar 0 [s] (2 z 2 bez dywersyfikacji)...\n"
                               "Pomiar 0 [s] (2 z 2 z dywersyfikacja)...\n"
                               "Pomiar 2 [s] (2 z 2 bez dywersyfikacji)...\n"
                               "Pomiar 2 [s] (2 z 2 z dywersyfikacja)...\n"
                               "Opracowywanie wynikow...\nZapis wynikow...\nGotowe!\n\n<menu>\n";
    EXPECT_NE(out.find(series), std::string::npos) << out;
    std::ifstream results(options.measurements.resultsFile);
    std::stringstream contents;
    contents << results.rdbuf();
    EXPECT_EQ(contents.str(), "czas - bez dywersyfikacji - z dywersyfikacja\n0 [s]: 8 8\n"
                              "2 [s]: 8 8\n");
}

TEST(MeasurementSeries, UnwritableFileShowsTheResultsInstead) {
    const TempFile file(fourVertexMatrix);
    MenuOptions options;
    options.measurements.measurementTimes = {1};
    options.measurements.repetitions = 1;
    options.measurements.resultsFile = file.directory.string(); // a directory cannot be written
    const std::string out = afterBanner(runSession("8 " + file.path + " 7 0", options).output);
    EXPECT_NE(out.find("Zapis wynikow...\nczas - bez dywersyfikacji - z dywersyfikacja\n"
                       "1 [s]: 8 8\n+++ MELON MELON MELON +++ Blad zapisu pliku " +
                       options.measurements.resultsFile + " +++\n\n<menu>\n"),
              std::string::npos)
        << out;
}

TEST(MeasurementSeries, WithoutInstanceLeavesAnOldFileAlone) {
    const TempFile old("old results\n");
    MenuOptions options;
    options.measurements.resultsFile = old.path;
    const std::string out = afterBanner(runSession("7 0", options).output);
    EXPECT_EQ(out.substr(0, out.find("Konczenie")),
              "<menu>\n+++ MELON MELON MELON +++ Brak zaladowanych danych +++\n\n<menu>\n");
    std::ifstream results(old.path);
    std::string line;
    std::getline(results, line);
    EXPECT_EQ(line, "old results");
}

// Menu options whose tabu runs act as if Ctrl-C came after a few iterations.
MenuOptions interruptedAfterFewIterations() {
    MenuOptions options;
    options.tabuStop = [](std::uint32_t) {
        TabuControl control = iterationLimit(0, 1);
        control.stop = [](std::uint64_t iterations) {
            if (iterations == 30) {
                InterruptionScope::request();
            }
            return iterations >= 100'000; // a safety net should the interruption be ignored
        };
        return control;
    };
    return options;
}

TEST(Interruption, TabuRunReportsTheBestRouteFoundSoFar) {
    const TempFile file(fourVertexMatrix);
    MenuOptions options = interruptedAfterFewIterations();
    std::istringstream in("8 " + file.path + " 5 2 0");
    std::ostringstream out;
    runMenu(in, out, options);
    const std::string text = withoutTimes(afterBanner(out.str()));
    EXPECT_NE(text.find("Dywersyfikacja wlaczona, kryterium: 1000 iteracji\n\n"
                        "+++ MELON MELON MELON +++ Przerwano +++\n\n"
                        "0\t0\t0\n1\t3\t3\n2\t2\t5\n3\t1\t6\n0\t2\t8\nDlugosc trasy: 8\n\n"
                        "Czas wykonania algorytmu [s]: T\n\n<menu>\n0\t3\t5\t9\t\n"),
              std::string::npos)
        << text;
}

TEST(Interruption, SeriesStopsWithoutWritingAFile) {
    const TempFile file(fourVertexMatrix);
    MenuOptions options = interruptedAfterFewIterations();
    options.measurements.resultsFile = (file.directory / "results.txt").string();
    std::istringstream in("8 " + file.path + " 7 0");
    std::ostringstream out;
    runMenu(in, out, options);
    EXPECT_NE(afterBanner(out.str()).find("Kryterium dywersyfikacji: 1000 iteracji\n"
                                          "Pomiar 1 [s] (1 z 10 bez dywersyfikacji)...\n"
                                          "+++ MELON MELON MELON +++ Przerwano +++\n\n<menu>\n"),
              std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(options.measurements.resultsFile));
}

} // namespace
} // namespace komiwojazer
