#pragma once

#include <atomic>
#include <csignal>

namespace komiwojazer {

// While an object of this class lives, Ctrl-C (SIGINT) does not end the program but sets a flag
// that long work polls; the handler that the scope replaced comes back when it goes. Outside every
// scope, at the menu's prompts, Ctrl-C ends the program as usual.
//
// Where Ctrl-C is ignored when the program starts, it stays ignored and never sets the flag.
//
// A scope starts with the flag clear: a Ctrl-C interrupts the step in progress and only that
// step, so one that came after a step had done its work (while its report was printed, say) does
// not stop the next one.
class InterruptionScope {
public:
    InterruptionScope();
    ~InterruptionScope();
    InterruptionScope(const InterruptionScope&) = delete;
    InterruptionScope& operator=(const InterruptionScope&) = delete;

    // Set by Ctrl-C; the flag that long work polls.
    [[nodiscard]] static const std::atomic<bool>& flag();

private:
    struct sigaction replaced {}; // the handling in force before this scope
};

} // namespace komiwojazer
