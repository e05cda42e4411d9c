// Benchmark program: runs one solver on one instance and prints key=value lines, so that our
// solvers and the straightforward reference ones can be compared run against run.
//
//   komiwojazer-bench tabu INSTANCE ITERATIONS [--diversification SEED] [--incremental-from N]
//                         [--plain]
//   komiwojazer-bench tabu-time INSTANCE SECONDS [--diversification SEED]
//   komiwojazer-bench bb INSTANCE [--plain]
//   komiwojazer-bench bf INSTANCE [--plain]
//
// INSTANCE is a TSPLIB file (.atsp: full matrix, otherwise 2-D Euclidean) or rand:N:SEED, the
// program's random fill seeded with SEED instead of the wall clock. --incremental-from sets the
// vertex count from which the tabu search keeps row bests instead of rating every pair (0: always,
// a huge value: never); without it the program's own choice holds.

#include "app/SystemMemory.h"
#include "graph/ArrayGraph.h"
#include "io/TsplibReader.h"
#include "reference/PlainBranchAndBound.h"
#include "reference/PlainBruteForce.h"
#include "reference/PlainTabuSearch.h"
#include "solvers/branchandbound/BranchAndBound.h"
#include "solvers/exhaustive/BruteForce.h"
#include "solvers/tabu/ProcessTimeStop.h"
#include "solvers/tabu/TabuSearch.h"
#include "step/Stopwatch.h"

#include <algorithm>
#include <ctime>
#include <iostream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace {

using namespace komiwojazer;

// The command line: a command, an instance and what follows them.
struct Arguments {
    std::vector<std::string> positional; // command, instance, then a count or seconds
    bool plain = false;                  // run the reference solver instead of ours
    bool diversification = false;        // tabu search with restarts ...
    unsigned seed = 1;                   // ... seeded with this
    std::optional<std::uint32_t> incrementalFrom;
};

Arguments parse(const std::vector<std::string>& args) {
    Arguments parsed;
    for (std::size_t k = 0; k < args.size(); ++k) {
        if (args[k] == "--plain") {
            parsed.plain = true;
        } else if (args[k] == "--diversification" && k + 1 < args.size()) {
            parsed.diversification = true;
            parsed.seed = static_cast<unsigned>(std::stoul(args[++k]));
        } else if (args[k] == "--incremental-from" && k + 1 < args.size()) {
            parsed.incrementalFrom = static_cast<std::uint32_t>(std::stoul(args[++k]));
        } else {
            parsed.positional.push_back(args[k]);
        }
    }
    return parsed;
}

std::unique_ptr<Graph> loadInstance(const std::string& name) {
    if (name.rfind("rand:", 0) == 0) {
        std::istringstream fields(name.substr(5));
        std::uint32_t n = 0;
        unsigned seed = 0;
        char colon = 0;
        if (!(fields >> n >> colon >> seed) || colon != ':') {
            return nullptr;
        }
        auto graph = std::make_unique<ArrayGraph>(n);
        graph->randomGenerateFullGraph(400, seed);
        return graph;
    }
    const bool matrix = name.size() > 5 && name.substr(name.size() - 5) == ".atsp";
    Outcome<TsplibInstance> load =
        readTsplibFile(name, matrix ? TsplibFormat::FullMatrix : TsplibFormat::Euclidean2D);
    return std::move(load.result.graph);
}

std::string joined(const Route& route) {
    std::ostringstream text;
    for (std::size_t k = 0; k < route.size(); ++k) {
        text << (k == 0 ? "" : ",") << route[k];
    }
    return text.str();
}

// The processor seconds that run takes, as the program's own stopwatch reads them.
template <typename Run> double timed(Run run) {
    Stopwatch stopwatch;
    stopwatch.start();
    run();
    stopwatch.stop();
    return stopwatch.read();
}

double peakResidentBytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) * 1024.0;
}

TabuParameters tabuParameters(const Arguments& arguments) {
    TabuParameters parameters(arguments.diversification);
    parameters.incrementalFrom = arguments.incrementalFrom.value_or(parameters.incrementalFrom);
    return parameters;
}

// A fixed number of iterations, ours or the plain search.
int benchTabu(const Graph& graph, const Arguments& arguments) {
    const std::uint64_t iterations = std::stoull(arguments.positional[2]);
    const TabuParameters parameters = tabuParameters(arguments);
    IterationStop stop(iterations, arguments.seed);
    TabuResult result;
    const double seconds = timed([&] {
        result = arguments.plain ? plain::plainTabuSearch(graph, parameters, stop)
                                 : tabuSearch(graph, parameters, stop).result;
    });
    std::cout << "iterations=" << result.iterations << "\nrestarts=" << result.restarts
              << "\nbest_length=" << result.bestLength << "\nroute=" << joined(result.bestRoute)
              << "\ncpu_s=" << seconds << "\niterations_per_s="
              << (seconds > 0 ? static_cast<double>(result.iterations) / seconds : 0.0) << '\n';
    return 0;
}

// The timed search as choice 5 runs it (restarts seeded with SEED rather than the wall clock),
// then a search with a fixed iteration count as long, so that the cost of the stop rule shows as
// the ratio of the two rates.
int benchTabuTime(const Graph& graph, const Arguments& arguments) {
    // The program's stop rule, with the benchmark's seed.
    class SeededTimeStop final : public TabuStop {
    public:
        SeededTimeStop(std::uint32_t stopTime, unsigned seed) : rule(stopTime), seed(seed) {}
        void start() override { rule.start(); }
        [[nodiscard]] bool reached(std::uint64_t iterations) override {
            return rule.reached(iterations);
        }
        [[nodiscard]] unsigned restartSeed() override {
            static_cast<void>(rule.restartSeed());
            return seed;
        }

    private:
        ProcessTimeStop rule;
        unsigned seed;
    };
    const TabuParameters parameters = tabuParameters(arguments);
    SeededTimeStop onTime(static_cast<std::uint32_t>(std::stoul(arguments.positional[2])),
                          arguments.seed);
    TabuResult result;
    const double seconds = timed([&] { result = tabuSearch(graph, parameters, onTime).result; });
    IterationStop fixed(result.iterations, arguments.seed);
    const double fixedSeconds =
        timed([&] { static_cast<void>(tabuSearch(graph, parameters, fixed)); });
    const double rate = static_cast<double>(result.iterations) / seconds;
    const double fixedRate = static_cast<double>(result.iterations) / fixedSeconds;
    std::cout << "iterations=" << result.iterations << "\nrestarts=" << result.restarts
              << "\nbest_length=" << result.bestLength << "\ncpu_s=" << seconds
              << "\niterations_per_s=" << rate << "\nfixed_iterations_per_s=" << fixedRate
              << "\nratio=" << rate / fixedRate << '\n';
    return 0;
}

// Branch and bound with the memory that choice 6 gives it, or the plain search.
int benchBranchAndBound(const Graph& graph, const Arguments& arguments) {
    Outcome<BranchAndBoundResult> outcome;
    const double seconds = timed([&] {
        if (arguments.plain) {
            outcome.result = plain::plainBranchAndBound(graph);
        } else {
            outcome = branchAndBound(graph, {branchAndBoundShare(availableMemoryBytes()), nullptr});
        }
    });
    const double peakBytes = peakResidentBytes();
    const BranchAndBoundResult& result = outcome.result;
    if (outcome.ending == Ending::OutOfMemory) {
        std::cout << "status=out_of_memory\n";
    }
    std::cout << "route=" << joined(result.route) << "\nlength=" << routeLength(graph, result.route)
              << "\nexpansions=" << result.expansions << "\npushed=" << result.pushed
              << "\nmax_queue=" << result.maxQueue << "\ncpu_s=" << seconds
              << "\npeak_rss_mb=" << peakBytes / (1024.0 * 1024.0) << "\nbytes_per_node="
              << peakBytes / static_cast<double>(std::max<std::uint64_t>(result.pushed, 1)) << '\n';
    return 0;
}

int benchBruteForce(const Graph& graph, const Arguments& arguments) {
    Route route;
    const double seconds =
        timed([&] { route = arguments.plain ? plain::plainBruteForce(graph) : bruteForce(graph); });
    std::cout << "route=" << joined(route) << "\nlength=" << routeLength(graph, route)
              << "\ncpu_s=" << seconds << '\n';
    return 0;
}

int usage() {
    std::cerr << "usage: komiwojazer-bench tabu INSTANCE ITERATIONS [--diversification SEED] "
                 "[--incremental-from N] [--plain]\n"
                 "       komiwojazer-bench tabu-time INSTANCE SECONDS [--diversification SEED]\n"
                 "       komiwojazer-bench bb INSTANCE [--plain]\n"
                 "       komiwojazer-bench bf INSTANCE [--plain]\n"
                 "INSTANCE: a TSPLIB file or rand:N:SEED\n";
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    const Arguments arguments = parse(std::vector<std::string>(argv + 1, argv + argc));
    const std::vector<std::string>& positional = arguments.positional;
    if (positional.size() < 2) {
        return usage();
    }
    const std::unique_ptr<Graph> graph = loadInstance(positional[1]);
    if (!graph) {
        std::cerr << "cannot read instance " << positional[1] << '\n';
        return 1;
    }
    const std::string& command = positional[0];
    if (command == "tabu" && positional.size() == 3) {
        return benchTabu(*graph, arguments);
    }
    if (command == "tabu-time" && positional.size() == 3) {
        return benchTabuTime(*graph, arguments);
    }
    if (command == "bb" && positional.size() == 2) {
        return benchBranchAndBound(*graph, arguments);
    }
    if (command == "bf" && positional.size() == 2) {
        return benchBruteForce(*graph, arguments);
    }
    return usage();
}
