#pragma once

#include "app/MenuLoop.h"
#include "solvers/tabu/TabuStop.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

namespace komiwojazer::fuzzing {

// A path of this process's own in the temp directory.
inline std::string scratchPath(const std::string& name) {
    return (std::filesystem::temp_directory_path() /
            ("komiwojazer-fuzz-" + std::to_string(getpid()) + "-" + name))
        .string();
}

// Menu options that keep every choice short: a few tabu iterations, a small memory budget for
// instances and searches, a one-run measurement series writing into the temp directory.
inline MenuOptions boundedOptions() {
    MenuOptions options;
    options.tabuStop = [](std::uint32_t) { return std::make_unique<IterationStop>(20, 1); };
    options.memoryCapBytes = std::uint64_t{256} << 10;
    options.measurements.measurementTimes = {1};
    options.measurements.repetitions = 1;
    options.measurements.resultsFile = scratchPath("results.txt");
    return options;
}

} // namespace komiwojazer::fuzzing
