#pragma once

#include <ctime>

namespace komiwojazer {

// Processor-time timer. Only stop() refreshes the reading, so a watch is started before it is read.
struct Stopwatch {
    double elapsedSeconds = 0;                // seconds between the last start and the last stop
    std::clock_t startTicks = 0;              // processor clock at start
    std::clock_t stopTicks = 0;               // processor clock at stop
    std::clock_t (*readClock)() = std::clock; // the processor clock, a million ticks a second

    void start() {
        startTicks = readClock();
        elapsedSeconds = 0;
    }
    void stop() {
        stopTicks = readClock();
        elapsedSeconds = static_cast<double>(stopTicks - startTicks) / 1e6;
    }
    [[nodiscard]] double read() const { return elapsedSeconds; }
};

} // namespace komiwojazer
