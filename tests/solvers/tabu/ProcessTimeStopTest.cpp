#include "solvers/tabu/ProcessTimeStop.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <limits>
#include <type_traits>

namespace komiwojazer {
namespace {

using Ticks = std::make_unsigned_t<std::clock_t>;
constexpr auto perSecond = static_cast<double>(CLOCKS_PER_SEC);

Ticks fakeTicks = 0; // the processor time that the fake clock shows, wrapping like the clock
int clockReads = 0;

std::clock_t fakeClock() {
    ++clockReads;
    return static_cast<std::clock_t>(fakeTicks);
}

// However iterations cost, the search stops once the stop time has passed, never at it and never
// before; where they cost the same, at the first iteration past it (within the clock's tick), since
// the readings are planned to land there; cheap iterations do not read the clock each time. The
// clock may start anywhere, also just before it wraps around. A restart that takes the search past
// its stop time ends it at the next iteration, however long the clock had been left unread before.
TEST(ProcessTimeStop, StopsJustAfterTheStopTimeWithoutReadingTheClockEachTime) {
    struct Case {
        const char* name;
        std::function<double(double now)> cost; // seconds the next iteration takes
        int restartEvery = 0;                   // iterations between restarts
        int mostReads = 0;                      // at most this many clock readings
        double slack = 0;                       // how much later than one iteration it may stop
        Ticks startTicks = 0;                   // the clock's reading at the start
        double restartCost = 0.003;
    };
    const Ticks beforeWrap = std::numeric_limits<Ticks>::max() - 1000;
    const Case cases[] = {
        {"cheap", [](double) { return 1e-6; }, 0, 20'000},
        {"costly", [](double) { return 0.4; }, 0, 10},
        // Readings land on exactly 1 s, which does not stop the search, and on 1.5 s, which does.
        {"half a second each", [](double) { return 0.5; }, 0, 4},
        // Readings planned on the old cost fall a few iterations late, and a restart's own cost is
        // seen only at the next reading.
        {"slower near the end", [](double now) { return now < 0.999 ? 1e-6 : 4e-6; }, 0, 20'000,
         0.001},
        {"restarts", [](double) { return 2e-6; }, 1000, 20'000, 0.003},
        {"a restart past the stop time", [](double) { return 1e-6; }, 500'000, 20'000, 0.5, 0, 1},
        {"wrapping", [](double) { return 1e-6; }, 0, 20'000, 0, beforeWrap},
        {"wrapping halfway", [](double) { return 1e-6; }, 0, 20'000, 0,
         static_cast<Ticks>(std::numeric_limits<std::clock_t>::max()) - 1000},
    };
    for (const Case& c : cases) {
        fakeTicks = c.startTicks;
        clockReads = 0;
        ProcessTimeStop stop(1, fakeClock);
        stop.start();
        double now = 0;
        double last = 0;
        std::uint64_t iterations = 0;
        for (;;) {
            last = c.cost(now);
            now += last;
            fakeTicks = c.startTicks + static_cast<Ticks>(now * perSecond + 0.5);
            ++iterations;
            if (stop.reached(iterations)) {
                break;
            }
            if (c.restartEvery != 0 && iterations % c.restartEvery == 0) {
                now += c.restartCost;
                static_cast<void>(stop.restartSeed());
            }
        }
        EXPECT_GT(now, 1.0) << c.name;
        EXPECT_LE(now, 1.0 + last + c.slack + 1 / perSecond) << c.name;
        EXPECT_LE(clockReads, c.mostReads) << c.name;
    }
}

// Processor time is counted in the system's ticks per second; tick differences are taken modulo
// the clock's range, so a 32-bit clock that wraps between two readings still shows the time that
// passed.
TEST(ProcessTimeStop, TicksAcrossTheClocksWrap) {
    Stopwatch watch;
    watch.readClock = fakeClock;
    fakeTicks = 7;
    watch.start();
    fakeTicks += CLOCKS_PER_SEC * 5 / 2;
    watch.stop();
    EXPECT_EQ(watch.read(), 2.5);
    EXPECT_EQ(ticksBetween<std::int32_t>(2147483647 - 5, -2147483647 - 1 + 5), 11.0);
    // Half a turn of a signed 32-bit clock (36 minutes at a million ticks a second) is no less.
    EXPECT_EQ(ticksBetween<std::int32_t>(0, -2147483647 - 1), 2147483648.0);
    EXPECT_EQ(ticksBetween<std::uint32_t>(4294967295u, 9u), 10.0);
}

} // namespace
} // namespace komiwojazer
