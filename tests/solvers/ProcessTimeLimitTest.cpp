#include "solvers/ProcessTimeLimit.h"

#include <gtest/gtest.h>

#include <functional>

namespace komiwojazer {
namespace {

double fakeSeconds = 0; // the processor time that the fake clock shows
int clockReads = 0;

std::clock_t fakeClock() {
    ++clockReads;
    return static_cast<std::clock_t>(fakeSeconds * 1e6);
}

// However iterations cost, the search stops once the stop time has passed, never before, and
// within one iteration and a millisecond of it; cheap iterations do not read the clock each time.
TEST(ProcessTimeLimit, StopsJustAfterTheStopTimeWithoutReadingTheClockEachTime) {
    struct Case {
        const char* name;
        std::function<double(double now)> cost; // seconds the next iteration takes
        int restartEvery = 0;                   // iterations between restarts of 3 ms
        int mostReads = 0;                      // at most this many clock readings
    };
    const Case cases[] = {
        {"cheap", [](double) { return 1e-6; }, 0, 20'000},
        {"costly", [](double) { return 0.4; }, 0, 10},
        {"slower near the end", [](double now) { return now < 0.999 ? 1e-6 : 4e-6; }, 0, 20'000},
        {"restarts", [](double) { return 2e-6; }, 1000, 20'000},
    };
    for (const Case& c : cases) {
        fakeSeconds = 0;
        clockReads = 0;
        ProcessTimeLimit limit(1, fakeClock);
        limit.start();
        double last = 0;
        for (int k = 1;; ++k) {
            last = c.cost(fakeSeconds);
            fakeSeconds += last;
            if (limit.reached()) {
                break;
            }
            if (c.restartEvery != 0 && k % c.restartEvery == 0) {
                fakeSeconds += 0.003;
                limit.restarted();
            }
        }
        EXPECT_GT(fakeSeconds, 1.0) << c.name;
        EXPECT_LE(fakeSeconds, 1.0 + last + 0.001 + 1e-6) << c.name;
        EXPECT_LE(clockReads, c.mostReads) << c.name;
    }
}

} // namespace
} // namespace komiwojazer
