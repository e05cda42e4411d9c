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
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    // A write to standard output that the signal cuts short is resumed rather than failed.
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &replaced);
}

InterruptionScope::~InterruptionScope() {
    sigaction(SIGINT, &replaced, nullptr);
}

const std::atomic<bool>& InterruptionScope::flag() {
    return interruptPending;
}

} // namespace komiwojazer
