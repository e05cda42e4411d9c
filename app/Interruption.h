#pragma once

#include <atomic>

namespace komiwojazer {

// While an object of this class lives, Ctrl-C (SIGINT) does not end the program but sets a flag
// that long work polls; the previous handling is restored when the object goes. Outside such a
// scope, at the menu prompt, Ctrl-C ends the program as usual.
class InterruptionScope {
public:
    InterruptionScope();
    ~InterruptionScope();
    InterruptionScope(const InterruptionScope&) = delete;
    InterruptionScope& operator=(const InterruptionScope&) = delete;

    // Set by the signal handler; long work stops when it turns true.
    [[nodiscard]] static const std::atomic<bool>* flag();
    [[nodiscard]] static bool interrupted() { return flag()->load(); }
    // Sets the flag as the signal would, for tests and for callers that cancel on their own.
    static void request();
};

} // namespace komiwojazer
