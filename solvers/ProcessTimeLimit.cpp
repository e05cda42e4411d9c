#include "solvers/ProcessTimeLimit.h"

#include <algorithm>

namespace komiwojazer {
namespace {

// How much processor time may pass between two readings.
constexpr double readingPeriodSeconds = 0.0002;

} // namespace

ProcessTimeLimit::ProcessTimeLimit(std::uint32_t stopTime, std::clock_t (*readClock)())
    : stopSeconds(static_cast<double>(stopTime)) {
    stopwatch.readClock = readClock;
}

void ProcessTimeLimit::start() {
    stopwatch.start();
    lastReading = 0;
    sinceReading = 0;
    interval = 1;
    countdown = 1;
}

bool ProcessTimeLimit::timeIsUp() {
    stopwatch.stop();
    const double now = stopwatch.read();
    if (now > stopSeconds) {
        return true;
    }
    // The clock ticks in microseconds: a reading that saw no time pass only says that the
    // iterations are short, so the interval doubles.
    const double perIteration = (now - lastReading) / static_cast<double>(sinceReading);
    double next = 2.0 * static_cast<double>(interval);
    if (perIteration > 0) {
        const double left = stopSeconds - now;
        next = std::min({next, readingPeriodSeconds / perIteration, left / perIteration + 1});
    }
    lastReading = now;
    sinceReading = 0;
    interval = std::max<std::uint64_t>(1, static_cast<std::uint64_t>(next));
    countdown = interval;
    return false;
}

} // namespace komiwojazer
