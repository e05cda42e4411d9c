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
#include "solvers/BranchAndBound.h"
#include "solvers/BruteForce.h"
#include "solvers/TabuSearch.h"
#include "tests/oracles/PlainBranchAndBound.h"
#include "tests/oracles/PlainBruteForce.h"
#include "tests/oracles/PlainTabuSearch.h"

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
    TsplibLoad load =
        readTsplibFile(name, matrix ? TsplibFormat::FullMatrix : TsplibFormat::Euclidean2D);
    return std::move(load.graph);
}

std::string joined(const Route& route) {
    std::ostringstream text;
    for (std::size_t k = 0; k < route.size(); ++k) {
        text << (k == 0 ? "" : ",") << route[k];
    }
    return text.str();
}

double processSeconds() {
    return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

double peakResidentBytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) * 1024.0;
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
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() < 2) {
        return usage();
    }
    bool plain = false;
    bool diversification = false;
    unsigned seed = 1;
    std::optional<std::uint32_t> incrementalFrom;
    std::vector<std::string> positional;
    for (std::size_t k = 0; k < args.size(); ++k) {
        if (args[k] == "--plain") {
            plain = true;
        } else if (args[k] == "--diversification" && k + 1 < args.size()) {
            diversification = true;
            seed = static_cast<unsigned>(std::stoul(args[++k]));
        } else if (args[k] == "--incremental-from" && k + 1 < args.size()) {
            incrementalFrom = static_cast<std::uint32_t>(std::stoul(args[++k]));
        } else {
            positional.push_back(args[k]);
        }
    }
    const std::string& command = positional[0];
    const std::unique_ptr<Graph> graph = loadInstance(positional[1]);
    if (!graph) {
        std::cerr << "cannot read instance " << positional[1] << '\n';
        return 1;
    }

    if (command == "tabu" && positional.size() == 3) {
        const std::uint64_t iterations = std::stoull(positional[2]);
        TabuParameters parameters;
        parameters.diversification = diversification;
        parameters.incrementalFrom = incrementalFrom.value_or(parameters.incrementalFrom);
        const TabuControl control = iterationLimit(iterations, seed);
        const double started = processSeconds();
        const TabuOutcome outcome = plain ? plain::plainTabuSearch(*graph, parameters, control)
                                          : runTabuSearch(*graph, parameters, control);
        const double seconds = processSeconds() - started;
        std::cout << "iterations=" << outcome.iterations << "\nrestarts=" << outcome.restarts
                  << "\nbest_length=" << outcome.bestLength
                  << "\nroute=" << joined(outcome.bestRoute) << "\ncpu_s=" << seconds
                  << "\niterations_per_s="
                  << (seconds > 0 ? static_cast<double>(outcome.iterations) / seconds : 0.0)
                  << '\n';
        return 0;
    }
    if (command == "bb" && positional.size() == 2) {
        const double started = processSeconds();
        // The budget that choice 6 gives the search.
        const RunLimits limits{availableMemoryBytes() / 2, nullptr};
        const BranchAndBoundOutcome outcome =
            plain ? plain::plainBranchAndBound(*graph) : runBranchAndBound(*graph, limits);
        const double seconds = processSeconds() - started;
        const double peakBytes = peakResidentBytes();
        if (outcome.status == BranchAndBoundOutcome::Status::OutOfMemory) {
            std::cout << "status=out_of_memory\n";
        }
        std::cout << "route=" << joined(outcome.route)
                  << "\nlength=" << routeLength(*graph, outcome.route)
                  << "\nexpansions=" << outcome.expansions << "\npushed=" << outcome.pushed
                  << "\nmax_queue=" << outcome.maxQueue << "\ncpu_s=" << seconds
                  << "\npeak_rss_mb=" << peakBytes / (1024.0 * 1024.0) << "\nbytes_per_node="
                  << peakBytes / static_cast<double>(std::max<std::uint64_t>(outcome.pushed, 1))
                  << '\n';
        return 0;
    }
    if (command == "bf" && positional.size() == 2) {
        const double started = processSeconds();
        const Route route = plain ? plain::plainBruteForce(*graph) : bruteForce(*graph);
        const double seconds = processSeconds() - started;
        std::cout << "route=" << joined(route) << "\nlength=" << routeLength(*graph, route)
                  << "\ncpu_s=" << seconds << '\n';
        return 0;
    }
    if (command == "tabu-time" && positional.size() == 3) {
        // The timed search as choice 5 runs it (restarts seeded with SEED rather than the wall
        // clock), then a search with a fixed iteration count as long, so that the cost of the stop
        // rule shows as the ratio of the two rates.
        TabuParameters parameters;
        parameters.diversification = diversification;
        TabuControl timed = processTimeLimit(static_cast<std::uint32_t>(std::stoul(positional[2])));
        timed.restartSeed = [seed] { return seed; };
        double started = processSeconds();
        const TabuOutcome outcome = runTabuSearch(*graph, parameters, timed);
        const double seconds = processSeconds() - started;
        started = processSeconds();
        runTabuSearch(*graph, parameters, iterationLimit(outcome.iterations, seed));
        const double fixedSeconds = processSeconds() - started;
        const double rate = static_cast<double>(outcome.iterations) / seconds;
        const double fixedRate = static_cast<double>(outcome.iterations) / fixedSeconds;
        std::cout << "iterations=" << outcome.iterations << "\nrestarts=" << outcome.restarts
                  << "\nbest_length=" << outcome.bestLength << "\ncpu_s=" << seconds
                  << "\niterations_per_s=" << rate << "\nfixed_iterations_per_s=" << fixedRate
                  << "\nratio=" << rate / fixedRate << '\n';
        return 0;
    }
    return usage();
}
