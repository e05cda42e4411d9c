#pragma once

#include <cstdint>
#include <ctime>
#include <type_traits>

namespace komiwojazer {

// The processor-clock ticks from earlier to later. A clock whose value can wrap (a 32-bit clock_t)
// is read modulo its range, which is exact as long as less than one full turn has passed.
template <typename Ticks> [[nodiscard]] constexpr double ticksBetween(Ticks earlier, Ticks later) {
    if constexpr (std::is_integral_v<Ticks>) {
        using Unsigned = std::make_unsigned_t<Ticks>;
        return static_cast<double>(
            static_cast<Unsigned>(static_cast<Unsigned>(later) - static_cast<Unsigned>(earlier)));
    } else {
        return static_cast<double>(later - earlier);
    }
}

// Processor-time timer. Only stop() refreshes the reading, so a watch is started before it is read.
struct Stopwatch {
    double elapsedSeconds = 0;                // seconds between the last start and the last stop
    std::clock_t startTicks = 0;              // processor clock at start
    std::clock_t stopTicks = 0;               // processor clock at stop
    std::clock_t (*readClock)() = std::clock; // the processor clock

    void start() {
        startTicks = readClock();
        elapsedSeconds = 0;
    }
    void stop() {
        stopTicks = readClock();
        elapsedSeconds = seconds(ticks());
    }
    [[nodiscard]] double read() const { return elapsedSeconds; }
    // The clock's ticks between the last start and the last stop.
    [[nodiscard]] double ticks() const { return ticksBetween(startTicks, stopTicks); }

    // The seconds that a number of the clock's ticks make. The system says how fast its clock
    // ticks: a million times a second on Linux, 128 on FreeBSD, 100 on OpenBSD.
    [[nodiscard]] static double seconds(double ticks) {
        return ticks / static_cast<double>(CLOCKS_PER_SEC);
    }
};

} // namespace komiwojazer
