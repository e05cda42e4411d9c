#include "solvers/tabu/ProcessTimeStop.h"

#include <algorithm>

namespace komiwojazer {
namespace {

// How much processor time may pass between two readings.
constexpr double readingPeriodSeconds = 0.0002;

} // namespace

ProcessTimeStop::ProcessTimeStop(std::uint32_t stopTime, std::clock_t (*readClock)())
    : stopSeconds(static_cast<double>(stopTime)) {
    stopwatch.readClock = readClock;
}

void ProcessTimeStop::start() {
    stopwatch.start();
    elapsedTicks = 0;
    sinceReading = 0;
    interval = 1;
    countdown = 1;
}

unsigned ProcessTimeStop::restartSeed() {
    countdown = 1;
    return static_cast<unsigned>(std::time(nullptr));
}

bool ProcessTimeStop::timeIsUp() {
    stopwatch.stop();
    const double sinceLastTicks = stopwatch.ticks();
    stopwatch.startTicks = stopwatch.stopTicks;
    // Whole ticks add up exactly, so the time compares with the stop time as one reading would.
    elapsedTicks += sinceLastTicks;
    const double elapsed = Stopwatch::seconds(elapsedTicks);
    if (elapsed > stopSeconds) {
        return true;
    }
    const double sinceLast = Stopwatch::seconds(sinceLastTicks);
    // A reading that saw no time pass (the clock's tick is coarse) only says that the iterations
    // are short, so the interval doubles.
    const double perIteration = sinceLast / static_cast<double>(sinceReading);
    double next = 2.0 * static_cast<double>(interval);
    if (perIteration > 0) {
        const double left = stopSeconds - elapsed;
        next = std::min({next, readingPeriodSeconds / perIteration, left / perIteration + 1});
    }
    sinceReading = 0;
    interval = std::max<std::uint64_t>(1, static_cast<std::uint64_t>(next));
    countdown = interval;
    return false;
}

} // namespace komiwojazer
