#pragma once

#include <cstdint>

namespace komiwojazer {

// Decides, from outside the search, when a tabu search stops and how its restarts are seeded. The
// program's stop is ProcessTimeStop; tests and the benchmark stop after a number of iterations.
class TabuStop {
public:
    TabuStop() = default;
    TabuStop(const TabuStop&) = delete;
    TabuStop& operator=(const TabuStop&) = delete;
    virtual ~TabuStop() = default;

    // Right after the initial route is built: the stop time counts from here.
    virtual void start() = 0;
    // After every iteration, with the number of iterations done so far; true ends the search.
    [[nodiscard]] virtual bool reached(std::uint64_t iterations) = 0;
    // At every restart, before it draws: the seed of the pseudo-random generator.
    [[nodiscard]] virtual unsigned restartSeed() = 0;
};

// Stops once the given number of iterations is done; every restart is seeded with the same seed.
class IterationStop final : public TabuStop {
public:
    IterationStop(std::uint64_t iterations, unsigned seed) : iterations(iterations), seed(seed) {}

    void start() override {}
    [[nodiscard]] bool reached(std::uint64_t done) override { return done >= iterations; }
    [[nodiscard]] unsigned restartSeed() override { return seed; }

private:
    std::uint64_t iterations; // the search's length
    unsigned seed;            // every restart's seed
};

} // namespace komiwojazer
