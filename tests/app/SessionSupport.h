#pragma once

// Whole sessions of the menu loop, run in-process on string streams.

#include "app/MenuLoop.h"
#include "solvers/tabu/TabuStop.h"
#include "tests/Support.h"
#include "tests/solvers/TestGraphs.h"

#include <csignal>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace komiwojazer::testing {

// The screen between two prompts, written out by hand so that a typo in the program shows.
inline const std::string menuText =
    "1 - wygeneruj losowe dane\n2 - wyswietl dane\n3 - dywersyfikacja TS\n"
    "4 - czas zatrzymania TS\n5 - tabu search\n6 - podzial i ograniczenia\n"
    "7 - automatyczne pomiary (tabu search)\n8 - wczytaj dane z pliku ATSP\n"
    "9 - wczytaj dane z pliku TSP\nAby zakonczyc - 0\nWybierz: ";

inline const std::string farewellText =
    "Konczenie...\n"
    "\"Opowiedz mi, Muzo, o mezu wielu drog, ktory tulal sie dlugo,\n"
    "gdy juz zburzyl swiety grod Troi;\n"
    "wielu ludzi widzial miasta i poznal ich mysli,\n"
    "wiele tez na morzu wycierpial w swym sercu,\n"
    "walczac o zycie swoje i o powrot towarzyszy.\"\n"
    "(Homer, \"Odyseja\", przeklad wlasny zespolu komiwojazer)\n\n";

inline const std::string fourVertexMatrix = fixtures::matrixFile(fixtures::fourVertex);

// Tabu runs cut to 200 iterations, so that no test waits for seconds.
inline MenuOptions quickOptions(std::uint64_t memoryCapBytes = saturatedBytes) {
    MenuOptions options;
    options.memoryCapBytes = memoryCapBytes;
    options.tabuStop = [](std::uint32_t) { return std::make_unique<IterationStop>(200, 1); };
    return options;
}

struct Session {
    std::string output;
    std::string errors;
    int status = -1;
};

inline Session runSession(const std::string& input, const MenuOptions& options = quickOptions()) {
    std::istringstream in(input);
    std::ostringstream out;
    std::ostringstream errors;
    const int status = runMenu(in, out, errors, options);
    return {out.str(), errors.str(), status};
}

// Measured times vary between runs: each is replaced by T.
inline std::string withoutTimes(const std::string& text) {
    const std::string label = "Czas wykonania algorytmu [s]: ";
    std::string result;
    std::size_t from = 0;
    for (std::size_t at = text.find(label); at != std::string::npos; at = text.find(label, from)) {
        result.append(text, from, at + label.size() - from).append("T");
        from = text.find('\n', at);
    }
    return result.append(text, from, std::string::npos);
}

// What a session shows after its banner, every menu replaced by "<menu>" and every run time by T.
inline std::string screen(const std::string& input, const MenuOptions& options = quickOptions()) {
    const std::string text = runSession(input, options).output;
    std::string rest;
    for (std::size_t at = text.find(menuText); at != std::string::npos;) {
        const std::size_t next = text.find(menuText, at + menuText.size());
        rest += "<menu>" + text.substr(at + menuText.size(), next - at - menuText.size());
        at = next;
    }
    return withoutTimes(rest);
}

class FiveVertexTest : public ::testing::Test {
protected:
    const TempDir dir;
    const std::string five = dir.file("five.atsp", fixtures::matrixFile(fixtures::fiveVertex));
};

// Stands in for the program's stop rule: records each run's stop time and restarts, stops it after
// 1001 + stopTime / 5 iterations and seeds restarts with 4. On the five-vertex instance a search
// with restarts then first restarts after iteration 1001 and finds 22 one iteration later and 19
// two iterations later; one without them stays at 25. It may raise Ctrl-C in one run, at one of
// its iterations or before it starts.
struct StopSpy {
    struct Run {
        std::uint32_t stopTime = 0;
        std::uint64_t restarts = 0;
    };
    std::vector<Run> runs{};
    std::size_t interruptRun = 0;         // the run (from 1) to raise Ctrl-C in, 0 for none
    std::uint64_t interruptIteration = 0; // after this iteration; 0: before the search starts

    MenuOptions options(MenuOptions options = {}) {
        options.tabuStop = [this](std::uint32_t stopTime) -> std::unique_ptr<TabuStop> {
            runs.push_back({stopTime, 0});
            if (runs.size() == interruptRun && interruptIteration == 0) {
                std::raise(SIGINT);
            }
            return std::make_unique<Stop>(*this, runs.size(), 1001 + stopTime / 5);
        };
        return options;
    }

private:
    class Stop final : public TabuStop {
    public:
        Stop(StopSpy& spy, std::size_t run, std::uint64_t iterations)
            : spy(spy), run(run), iterations(iterations) {}
        void start() override {}
        [[nodiscard]] bool reached(std::uint64_t done) override {
            if (run == spy.interruptRun && done == spy.interruptIteration) {
                std::raise(SIGINT);
            }
            return done >= iterations;
        }
        [[nodiscard]] unsigned restartSeed() override {
            ++spy.runs[run - 1].restarts;
            return 4;
        }
        StopSpy& spy;
        std::size_t run;
        std::uint64_t iterations;
    };
};

} // namespace komiwojazer::testing
