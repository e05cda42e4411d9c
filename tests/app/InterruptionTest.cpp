#include "app/Interruption.h"

#include <gtest/gtest.h>

#include <csignal>

namespace komiwojazer {
namespace {

void own(int) {}

struct sigaction current() {
    struct sigaction action {};
    sigaction(SIGINT, nullptr, &action);
    return action;
}

// Nested scopes restore the handler each one replaced. Each scope starts with the flag clear: a
// Ctrl-C that came before it belongs to an earlier step.
TEST(Interruption, NestedScopesRestoreTheHandlerTheyReplaced) {
    struct sigaction mine {};
    mine.sa_handler = own;
    sigaction(SIGINT, &mine, nullptr);
    {
        const InterruptionScope outer;
        const auto outerHandler = current().sa_handler;
        std::raise(SIGINT);
        EXPECT_TRUE(InterruptionScope::flag().load());
        {
            const InterruptionScope inner;
            EXPECT_FALSE(InterruptionScope::flag().load());
        }
        EXPECT_EQ(current().sa_handler, outerHandler);
    }
    EXPECT_EQ(current().sa_handler, own);
    signal(SIGINT, SIG_DFL);
}

} // namespace
} // namespace komiwojazer
