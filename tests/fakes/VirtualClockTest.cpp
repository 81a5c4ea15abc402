#include "fakes/VirtualClock.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace keyrelay {
namespace {

// What the other tests rely on: timers fire in time order, equal due times in the order
// they were armed; a handler that waits gets the ticks that fall due meanwhile inside its
// wait, its own included; a condition wait ends at the firing that satisfies it.
TEST(VirtualClock, FiresTimersInOrderAndInsideTheWaitsOfTheirHandlers) {
    struct Timer {
        char name;
        int intervalMs;
        int waitOnFirstTickMs;
    };
    struct Case {
        std::vector<Timer> timers;
        int waitMs;
        std::size_t untilFired;  // 0: a plain wait, else a condition wait for so many firings
        const char* fired;       // each firing's timer and time, a "+" for each wait it is in
        std::int64_t endMs;
    };
    const Case cases[] = {
        Case{{{'a', 300, 0}, {'b', 200, 0}}, 650, 0, "b200 a300 b400 a600 b600", 650},
        Case{{{'t', 500, 0}}, 500, 0, "t500", 500},
        Case{{{'t', 1000, 2500}}, 4000, 0, "t1000 +t2000 +t3000 t4000", 4000},
        Case{{{'a', 1000, 1500}, {'b', 400, 0}},
             2600,
             0,
             "b400 b800 a1000 +b1200 +b1600 +a2000 +b2000 +b2400",
             2600},
        // A nested wait that ends after the outer deadline ends the outer wait late
        Case{{{'t', 400, 1000}}, 500, 0, "t400 +t800 +t1200", 1400},
        Case{{{'t', 700, 0}}, 5000, 1, "t700", 700},
        Case{{{'t', 300, 0}}, 1000, 9, "t300 t600 t900", 1000},
    };
    for (const Case& c : cases) {
        VirtualClock clock;
        std::string fired;
        std::string nesting;
        std::size_t count = 0;
        for (const Timer& t : c.timers) {
            clock.startTimer(t.intervalMs, [&, t, first = true]() mutable {
                fired += (fired.empty() ? "" : " ") + nesting + t.name +
                         std::to_string(clock.elapsedMs());
                ++count;
                if (first && t.waitOnFirstTickMs > 0) {
                    first = false;
                    nesting += '+';
                    clock.waitMs(t.waitOnFirstTickMs);
                    nesting.pop_back();
                }
            });
        }
        if (c.untilFired > 0) {
            const bool held = clock.waitFor([&] { return count >= c.untilFired; }, c.waitMs);
            EXPECT_EQ(held, count >= c.untilFired);
        } else {
            clock.waitMs(c.waitMs);
        }
        EXPECT_EQ(fired, c.fired);
        EXPECT_EQ(clock.elapsedMs(), c.endMs) << c.fired;
    }
}

}  // namespace
}  // namespace keyrelay
