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

}  // namespace
}  // namespace keyrelay
