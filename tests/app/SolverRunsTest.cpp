#include "SessionTestSupport.h"

#include "app/Interruption.h"
#include "app/MeasurementSeries.h"
#include "app/SolverRuns.h"
#include "graph/ArrayGraph.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <sstream>

namespace komiwojazer {
namespace {

using namespace komiwojazer::testing;

// The worked four-vertex instance whose optimum is 0, 1, 2, 3, 0 of length 8.
const std::string fourVertexMatrix = "NAME: four\nTYPE: ATSP\nDIMENSION: 4\n"
                                     "EDGE_WEIGHT_TYPE: EXPLICIT\nEDGE_WEIGHT_FORMAT: FULL_MATRIX\n"
                                     "EDGE_WEIGHT_SECTION\n"
                                     "0 3 5 9\n4 0 2 7\n6 8 0 1\n2 5 4 0\nEOF\n";
const std::string optimumTable = "0\t0\t0\n1\t3\t3\n2\t2\t5\n3\t1\t6\n0\t2\t8\nDlugosc trasy: 8\n\n"
                                 "Czas wykonania algorytmu [s]: T\n\n";

std::string fileContents(const std::string& path) {
    std::ifstream file(path);
    std::stringstream contents;
    contents << file.rdbuf();
    return contents.str();
}

TEST(RouteReport, PrintsEdgesWithRunningTotalAndCopesWithAnEmptyRoute) {
    ArrayGraph graph(3);
    graph.addEdge(0, 2, 5);
    graph.addEdge(2, 1, 7);
    graph.addEdge(1, 0, 3);
    std::ostringstream out;
    displayRoute(out, graph, {0, 2, 1, 0}, 0.25);
    displayRoute(out, graph, {}, 1e-7);
    EXPECT_EQ(out.str(), "0\t0\t0\n2\t5\t5\n1\t7\t12\n0\t3\t15\nDlugosc trasy: 15\n\n"
                         "Czas wykonania algorytmu [s]: 0.25\n\n"
                         "Dlugosc trasy: 0\n\nCzas wykonania algorytmu [s]: 1e-07\n\n");
}

// Both solvers print the same table; tabu search first shows its parameters and refuses stop
// times below one second.
TEST(SolverChoices, RunsPrintParametersAndRoutes) {
    const TempFile file(fourVertexMatrix);
    const std::string tabu = "<menu>\nKadencja: 40\nCzas zatrzymania algorytmu [s]: 10\n";
    const std::string stopTime = "<menu>\nPoprzedni czas pracy TS: ";
    const std::string cheese = "+++ MELON MELON MELON +++ Blad: Brak Sera! +++ !!!!! +++\n\n";
    EXPECT_EQ(withoutTimes(screenBeforeEnd("8 " + file.path + " 5 3 5 4 0 5 4 -1 5 6 0")),
              "<menu>\nPodaj nazwe pliku: Wczytano - liczba wierzcholkow: 4\n\n" + tabu +
                  "Dywersyfikacja wlaczona, kryterium: 1000 iteracji\n\n" + optimumTable +
                  "<menu>\nDywersyfikacja TS zostala wylaczona\n\n" + tabu +
                  "Dywersyfikacja wylaczona\n\n" + optimumTable + stopTime +
                  "10\nPodaj nowy czas: \n<menu>\n" + cheese + stopTime +
                  "0\nPodaj nowy czas: \n<menu>\n" + cheese + "<menu>\n" + optimumTable +
                  "<menu>\n");
}

TEST(SolverChoices, BranchAndBoundOutOfMemoryKeepsTheInstance) {
    MenuOptions options = quickOptions();
    options.memoryCapBytes = 2000; // room for the instance, not for the search's tables
    const std::string out = screen("1 12 6 2 0", options);
    EXPECT_NE(out.find("<menu>\n+++ MELON MELON MELON +++ Brak pamieci +++\n\n<menu>\n"),
              std::string::npos);
    EXPECT_EQ(countOf(out, "\t\n"), 12);
}

// Every load answers with its one line; a refused file leaves the 2-vertex instance in place.
TEST(LoadChoices, EveryOutcomeHasItsLineAndRefusalsKeepTheInstance) {
    const struct {
        char choice;
        std::string contents;
        std::string line; // "@" stands for the file's name
    } cases[] = {
        {'8', fourVertexMatrix, "Wczytano - liczba wierzcholkow: 4"},
        {'8', "DIMENSION: 2 EDGE_WEIGHT_FORMAT: LOWER_DIAG_ROW EDGE_WEIGHT_SECTION 0 1 0",
         "+++ MELON MELON MELON +++ Nieobslugiwany format LOWER_DIAG_ROW +++"},
        {'9', fourVertexMatrix, "+++ MELON MELON MELON +++ Nieobslugiwany format EXPLICIT +++"},
        {'9', "DIMENSION : 3\nEDGE_WEIGHT_TYPE : EUC_2D\nNODE_COORD_SECTION\n",
         "+++ MELON MELON MELON +++ Brak klucza DIMENSION: w pliku @ +++"},
        {'8', "DIMENSION: 3 EDGE_WEIGHT_FORMAT: FULL_MATRIX",
         "+++ MELON MELON MELON +++ Brak klucza EDGE_WEIGHT_SECTION w pliku @ +++"},
        {'8', "DIMENSION: 3 EDGE_WEIGHT_FORMAT: FULL_MATRIX EDGE_WEIGHT_SECTION 0 1",
         "+++ MELON MELON MELON +++ Niekompletny plik @ +++"},
        {'9', "DIMENSION: -5x EDGE_WEIGHT_TYPE: EUC_2D NODE_COORD_SECTION",
         "+++ MELON MELON MELON +++ Nieprawidlowy wymiar -5x +++"},
        {'8', "DIMENSION: 1000000 EDGE_WEIGHT_FORMAT: FULL_MATRIX EDGE_WEIGHT_SECTION 1 2 3",
         "+++ MELON MELON MELON +++ Brak pamieci +++"},
    };
    for (const auto& c : cases) {
        const TempFile file(c.contents);
        std::string line = c.line;
        if (const std::size_t at = line.find('@'); at != std::string::npos) {
            line.replace(at, 1, file.path);
        }
        const std::string out =
            screen("1 2 " + std::string(1, c.choice) + " " + file.path + " 2 0");
        EXPECT_NE(out.find("<menu>\nPodaj nazwe pliku: " + line + "\n\n<menu>\n"),
                  std::string::npos)
            << out;
        EXPECT_EQ(countOf(out, "\t\n"), line.starts_with("Wczytano") ? 4 : 2) << line;
    }
    // Names that are no readable file: the missing-file line with the name as typed.
    const TempFile file("");
    for (const std::string& name : {file.directory.string(), file.path + ".none"}) {
        EXPECT_NE(screen("8 " + name + " 0")
                      .find("Podaj nazwe pliku: +++ MELON MELON MELON +++ Brak pliku " + name +
                            " +++\n\n<menu>\n"),
                  std::string::npos);
    }
}

TEST(MeasurementSeries, AveragesRoundHalvesToEven) {
    EXPECT_EQ(averageLength(125, 10), 12);
    EXPECT_EQ(averageLength(135, 10), 14);
    EXPECT_EQ(averageLength(126, 10), 13);
}

TEST(MeasurementSeries, RunsInOrderAndWritesFiveLines) {
    const TempFile file(fourVertexMatrix);
    MenuOptions options = quickOptions();
    options.measurements.measurementTimes = {0, 2};
    options.measurements.repetitions = 2;
    options.measurements.resultsFile = (file.directory / "results.txt").string();
    // The settings must not matter to the series.
    const std::string out = screen("8 " + file.path + " 3 4 0 7 0", options);
    std::string runs;
    for (const char* pass : {"1", "2"}) {
        for (const char* time : {"0", "2"}) {
            runs +=
                "Pomiar " + std::string(time) + " [s] (" + pass + " z 2 bez dywersyfikacji)...\n";
            runs += "Pomiar " + std::string(time) + " [s] (" + pass + " z 2 z dywersyfikacja)...\n";
        }
    }
    EXPECT_NE(out.find("<menu>\nPomiary dla problemu komiwojazera, tabu search\nKadencja: 40\n"
                       "Kryterium dywersyfikacji: 1000 iteracji\n" +
                       runs + "Opracowywanie wynikow...\nZapis wynikow...\nGotowe!\n\n<menu>\n"),
              std::string::npos)
        << out;
    EXPECT_EQ(fileContents(options.measurements.resultsFile),
              "czas - bez dywersyfikacji - z dywersyfikacja\n0 [s]: 8 8\n2 [s]: 8 8\n");
}

TEST(MeasurementSeries, UnwritableFileShowsTheResultsAndNoInstanceLeavesItAlone) {
    const TempFile file(fourVertexMatrix);
    MenuOptions options = quickOptions();
    options.measurements.measurementTimes = {1};
    options.measurements.repetitions = 1;
    options.measurements.resultsFile = file.directory.string(); // a directory cannot be written
    EXPECT_NE(screen("8 " + file.path + " 7 0", options)
                  .find("Zapis wynikow...\nczas - bez dywersyfikacji - z dywersyfikacja\n"
                        "1 [s]: 8 8\n+++ MELON MELON MELON +++ Blad zapisu pliku " +
                        options.measurements.resultsFile + " +++\n\n<menu>\n"),
              std::string::npos);

    options.measurements.resultsFile = file.path;
    EXPECT_EQ(screenBeforeEnd("7 0", options),
              "<menu>\n+++ MELON MELON MELON +++ Brak zaladowanych danych +++\n\n<menu>\n");
    EXPECT_EQ(fileContents(file.path), fourVertexMatrix);
}

// Options whose tabu runs act as if Ctrl-C came after 30 iterations.
MenuOptions interruptedAfterFewIterations() {
    MenuOptions options;
    options.tabuRun = [](const Graph& graph, const TabuParameters& parameters, std::uint32_t,
                         const RunLimits& limits) {
        TabuControl control = iterationLimit(0, 1);
        control.stop = [](std::uint64_t iterations) {
            if (iterations == 30) {
                std::raise(SIGINT);
            }
            return iterations >= 100'000; // a safety net should the interruption be ignored
        };
        return runTabuSearch(graph, parameters, control, limits);
    };
    return options;
}

TEST(Interruption, SeriesStopsWithoutWritingAFile) {
    const TempFile file(fourVertexMatrix);
    MenuOptions options = interruptedAfterFewIterations();
    options.measurements.resultsFile = (file.directory / "results.txt").string();
    EXPECT_NE(screen("8 " + file.path + " 7 0", options)
                  .find("Kryterium dywersyfikacji: 1000 iteracji\n"
                        "Pomiar 1 [s] (1 z 10 bez dywersyfikacji)...\n"
                        "+++ MELON MELON MELON +++ Przerwano +++\n\n<menu>\n"),
              std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(options.measurements.resultsFile));
}

} // namespace
} // namespace komiwojazer
