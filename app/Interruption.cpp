#include "app/Interruption.h"

namespace komiwojazer {
namespace {

std::atomic<bool> interruptPending{false};
static_assert(std::atomic<bool>::is_always_lock_free,
              "the signal handler may only touch lock-free atomics");

void onInterrupt(int) {
    interruptPending.store(true);
}

} // namespace

InterruptionScope::InterruptionScope() {
    interruptPending.store(false);
    // A program started with Ctrl-C ignored (a background job of a script) keeps it ignored, as
    // Unix programs that catch it do; the scope then changes nothing.
    if (sigaction(SIGINT, nullptr, &replaced) != 0 || replaced.sa_handler == SIG_IGN) {
        return;
    }
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    // A write to standard output that the signal cuts short is resumed rather than failed.
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
}

InterruptionScope::~InterruptionScope() {
    sigaction(SIGINT, &replaced, nullptr);
}

const std::atomic<bool>& InterruptionScope::flag() {
    return interruptPending;
}

} // namespace komiwojazer
