#pragma once

#include "solvers/Stopwatch.h"

#include <cstdint>
#include <ctime>

namespace komiwojazer {

// The stop rule of a timed tabu search: it holds once more than stopTime seconds of processor time
// have passed since start(), never before, and at most one iteration plus a millisecond after.
// Reading the processor clock is a system call that costs as much as a whole iteration of a small
// instance, so the clock is read only every so many iterations: as many as took about a fifth of a
// millisecond at the last reading, at most twice as many as the time before, no more than the time
// left needs, and only one after a restart, whose own cost no reading has seen.
class ProcessTimeLimit {
public:
    explicit ProcessTimeLimit(std::uint32_t stopTime, std::clock_t (*readClock)() = std::clock);

    void start();
    // Asked after every iteration; reads the clock only when the countdown runs out.
    [[nodiscard]] bool reached() {
        ++sinceReading;
        return --countdown == 0 && timeIsUp();
    }
    // Told after every restart.
    void restarted() { countdown = 1; }

private:
    // Whether the stop time has passed; plans the next reading if not.
    [[nodiscard]] bool timeIsUp();

    Stopwatch stopwatch;            // started by start(), stopped at every reading
    double stopSeconds;             // the stop time
    double lastReading = 0;         // seconds at the last reading
    std::uint64_t sinceReading = 0; // iterations since the last reading
    std::uint64_t interval = 1;     // iterations planned between the last two readings
    std::uint64_t countdown = 1;    // iterations until the next reading
};

} // namespace komiwojazer
