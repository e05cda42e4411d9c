#include "app/Interruption.h"

#include <csignal>

namespace komiwojazer {
namespace {

std::atomic<bool> interruptRequested{false};
static_assert(std::atomic<bool>::is_always_lock_free,
              "the signal handler may only touch lock-free atomics");

struct sigaction previousAction {};

void onInterrupt(int) {
    interruptRequested.store(true);
}

} // namespace

InterruptionScope::InterruptionScope() {
    interruptRequested.store(false);
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &previousAction);
}

InterruptionScope::~InterruptionScope() {
    sigaction(SIGINT, &previousAction, nullptr);
}

const std::atomic<bool>* InterruptionScope::flag() {
    return &interruptRequested;
}

void InterruptionScope::request() {
    interruptRequested.store(true);
}

} // namespace komiwojazer
