#include "core/QtClock.h"

#include <gtest/gtest.h>

#include <vector>

namespace keyrelay {
namespace {

// The tick of the program waits inside its own handler (a command sequence); the ticks
// that fall due meanwhile must still arrive, inside that wait.
TEST(QtClock, TickThatFallsDueDuringItsOwnHandlersWaitIsDeliveredInsideIt) {
    QtClock clock;
    int depth = 0;
    std::vector<int> depths;
    bool finished = false;
    Clock::TimerId id = 0;
    id = clock.startTimer(20, [&] {
        depths.push_back(depth);
        if (depths.size() == 1) {
            ++depth;
            clock.waitFor([&] { return depths.size() >= 3; }, 5000);
            --depth;
            clock.stopTimer(id);
            finished = true;
        }
    });
    clock.waitFor([&] { return finished; }, 10000);
    ASSERT_GE(depths.size(), 3u);
    EXPECT_EQ(depths[0], 0);
    EXPECT_EQ(depths[1], 1);
    EXPECT_EQ(depths[2], 1);
}

}  // namespace
}  // namespace keyrelay
