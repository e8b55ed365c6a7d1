#include "support/scope_exit.h"

#include <gtest/gtest.h>

#include <stdexcept>

// The action runs once on every way out of the scope, and not at all once released.
TEST(ScopeExit, RunsOnceOnEveryWayOutUnlessReleased) {
    int runs = 0;
    const auto count = [&runs]() noexcept { ++runs; };
    { const pfc::on_scope_exit guard(count); }
    EXPECT_EQ(runs, 1) << "normal end";
    EXPECT_THROW(
        {
            const pfc::on_scope_exit guard(count);
            throw std::runtime_error("leaving");
        },
        std::runtime_error);
    EXPECT_EQ(runs, 2) << "an exception passing";
    for (int i = 0; i < 2; ++i) {
        const pfc::on_scope_exit guard(count);
        if (i == 0) continue;
        break;
    }
    EXPECT_EQ(runs, 4) << "continue and break";
    {
        pfc::on_scope_exit guard(count);
        guard.release();
    }
    EXPECT_EQ(runs, 4) << "released";
}
