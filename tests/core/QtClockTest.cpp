#include "core/QtClock.h"

#include <gtest/gtest.h>

#include <vector>

namespace keyrelay {
namespace {

// A tick of the program waits inside its own handler (a command sequence); the ticks that
// fall due meanwhile must still arrive, inside that wait.
TEST(QtClock, TickThatFallsDueDuringItsOwnHandlersWaitIsDeliveredInsideIt) {
    QtClock clock;
    std::vector<int> depths;  // of the wait each tick arrived in
    int depth = 0;
    Clock::TimerId id = clock.startTimer(20, [&] {
        depths.push_back(depth);
        if (depths.size() == 1) {
            ++depth;
            clock.waitFor([&] { return depths.size() == 3; }, 5000);
            --depth;
            clock.stopTimer(id);
        }
    });
    EXPECT_TRUE(clock.waitFor([&] { return depths.size() == 3 && depth == 0; }, 10000));
    EXPECT_EQ(depths, (std::vector<int>{0, 1, 1}));
}

// When the program leaves its event loop, no nested loop runs again: a wait under way or
// begun afterwards must return instead of spinning until its deadline.
TEST(QtClock, WaitsReturnAtOnceOnceTheProgramStopsWaiting) {
    QtClock clock;
    clock.stopWaiting();
    const std::int64_t start = clock.elapsedMs();
    clock.waitMs(600000);
    EXPECT_FALSE(clock.waitFor([] { return false; }, 600000));
    EXPECT_LT(clock.elapsedMs() - start, 60000);
}

}  // namespace
}  // namespace keyrelay
