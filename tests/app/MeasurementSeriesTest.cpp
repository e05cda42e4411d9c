#include "app/MeasurementSeries.h"

#include "tests/app/SessionSupport.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <utility>

namespace komiwojazer {
namespace {

using namespace komiwojazer::testing;
using MeasurementSeries = FiveVertexTest;

// The series' file for the five-vertex instance under the stop spy: without restarts every run
// finds 25; with them the runs of 5, 10 and 15 s restart and find 22, 19 and 19.
const std::string fiveVertexResults = "czas - bez dywersyfikacji - z dywersyfikacja\n"
                                      "1 [s]: 25 25\n5 [s]: 25 22\n10 [s]: 25 19\n15 [s]: 25 19\n";

// The default results file goes to the working directory.
std::string inDirectory(const TempDir& dir, const std::string& input, const MenuOptions& options) {
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(dir.path);
    const std::string shown = screen(input, options);
    std::filesystem::current_path(before);
    return shown;
}

// The runs go pass by pass, each stop time without and then with diversification, each announced
// before it starts; the file gets the averages per stop time, and a second series replaces it
// without the first one's sums. The settings of choices 3 and 4 change nothing. A Ctrl-C that comes
// as the first series' last run ends finds the runs done and does not stop the second series.
TEST_F(MeasurementSeries, RunsInOrderAndWritesTheAverages) {
    StopSpy spy{.interruptRun = 80, .interruptIteration = 1004};
    const std::string shown = inDirectory(dir, "8 " + five + " 3 4 0 7 7", spy.options());
    ASSERT_EQ(spy.runs.size(), 160u);
    for (std::size_t k = 0; k < spy.runs.size(); ++k) {
        const std::uint32_t stopTime = std::array<std::uint32_t, 4>{1, 5, 10, 15}[k / 2 % 4];
        EXPECT_EQ(spy.runs[k].stopTime, stopTime) << k;
        EXPECT_EQ(spy.runs[k].restarts, k % 2 == 1 && stopTime > 1 ? 1u : 0u) << k;
    }
    std::string progress;
    for (int pass = 1; pass <= 10; ++pass) {
        for (const int stopTime : {1, 5, 10, 15}) {
            const std::string head =
                "Pomiar " + std::to_string(stopTime) + " [s] (" + std::to_string(pass) + " z 10 ";
            progress += head + "bez dywersyfikacji)...\n" + head + "z dywersyfikacja)...\n";
        }
    }
    const std::string series = "<menu>\nPomiary dla problemu komiwojazera, tabu search\n"
                               "Kadencja: 40\nKryterium dywersyfikacji: 1000 iteracji\n" +
                               progress + "Opracowywanie wynikow...\nZapis wynikow...\nGotowe!\n\n";
    EXPECT_TRUE(shown.ends_with(series + series + "<menu>\n" + farewellText)) << shown;
    EXPECT_EQ(fileContents(dir / "wyniki-komiwojazer-ts.txt"), fiveVertexResults);
}

// Ten lengths that add up to 125 average 12 and to 135 average 14 (halves go to the even
// neighbour); sums beyond the 32-bit range saturate, and a sum that is no number gives 0.
TEST_F(MeasurementSeries, AveragesRoundHalvesToEven) {
    const std::pair<double, std::int32_t> cases[] = {{125, 12},
                                                     {135, 14},
                                                     {126, 13},
                                                     {-125, -12},
                                                     {0, 0},
                                                     {42949672950.0, 2147483647},
                                                     {-1e12, -2147483648},
                                                     {std::nan(""), 0}};
    for (const auto& [sum, average] : cases) {
        EXPECT_EQ(averageLength(sum, 10), average) << sum;
    }
    EXPECT_EQ(averageLength(25, 2), 12);
}

// A series that does not finish writes no file and leaves an old one as it was: Ctrl-C ends the run
// it hits, and a search whose tables do not fit ends the series after its first announcement.
TEST_F(MeasurementSeries, SeriesCutShortWritesNothing) {
    const std::string results = dir.file("wyniki-komiwojazer-ts.txt", "old\n");
    StopSpy spy{.interruptRun = 3, .interruptIteration = 500};
    EXPECT_NE(inDirectory(dir, "8 " + five + " 7", spy.options())
                  .find("Pomiar 5 [s] (1 z 10 bez dywersyfikacji)...\n" + alarm("Przerwano") +
                        "<menu>\n" + farewellText),
              std::string::npos);
    EXPECT_EQ(spy.runs.size(), 3u);
    EXPECT_NE(inDirectory(dir, "8 " + five + " 7", quickOptions(428))
                  .find("Kryterium dywersyfikacji: 1000 iteracji\n"
                        "Pomiar 1 [s] (1 z 10 bez dywersyfikacji)...\n" +
                        alarm("Brak pamieci") + "<menu>\n" + farewellText),
              std::string::npos);
    EXPECT_EQ(fileContents(results), "old\n");
}

} // namespace
} // namespace komiwojazer
