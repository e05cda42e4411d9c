#pragma once

#include "solvers/tabu/TabuStop.h"
#include "step/Stopwatch.h"

#include <cstdint>
#include <ctime>

namespace komiwojazer {

// The program's stop rule: the search stops once more than stopTime seconds of processor time have
// passed since start(), never before, and at most one iteration plus a millisecond after; restarts
// are seeded from the wall clock in whole seconds.
//
// Reading the processor clock is a system call that costs as much as a whole iteration of a small
// instance, so the clock is read only every so many iterations: as many as took about a fifth of a
// millisecond at the last reading, at most twice as many as the time before, no more than the time
// left needs, and only one after a restart, whose own cost no reading has seen. The time is summed
// reading by reading, so a clock that wraps (a 32-bit clock_t) still reaches any stop time.
class ProcessTimeStop final : public TabuStop {
public:
    explicit ProcessTimeStop(std::uint32_t stopTime, std::clock_t (*readClock)() = std::clock);

    void start() override;
    // Reads the clock only when the countdown runs out.
    [[nodiscard]] bool reached(std::uint64_t) override {
        ++sinceReading;
        return --countdown == 0 && timeIsUp();
    }
    [[nodiscard]] unsigned restartSeed() override;

private:
    // Whether the stop time has passed; plans the next reading if not.
    [[nodiscard]] bool timeIsUp();

    Stopwatch stopwatch;            // restarted where it stopped at every reading
    double stopSeconds;             // the stop time
    double elapsedTicks = 0;        // clock ticks since start(), summed over the readings
    std::uint64_t sinceReading = 0; // iterations since the last reading
    std::uint64_t interval = 1;     // iterations planned between the last two readings
    std::uint64_t countdown = 1;    // iterations until the next reading
};

} // namespace komiwojazer
