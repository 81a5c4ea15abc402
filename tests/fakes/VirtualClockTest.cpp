#include "fakes/VirtualClock.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace keyrelay {
namespace {

struct Fired {
    std::string name;
    std::int64_t atMs;
    int depth;
    bool operator==(const Fired&) const = default;
};

class VirtualClockTest : public ::testing::Test {
protected:
    VirtualClock clock{1000};
    std::vector<Fired> fired;
    int depth = 0;

    std::function<void()> record(const std::string& name) {
        return [this, name] { fired.push_back({name, clock.elapsedMs(), depth}); };
    }
};

TEST_F(VirtualClockTest, WaitAdvancesExactlyAndFiresDueTimersInOrder) {
    clock.startTimer(300, record("a"));
    clock.startTimer(200, record("b"));
    clock.waitMs(650);
    EXPECT_EQ(clock.elapsedMs(), 1650);
    const std::vector<Fired> expected{
        {"b", 1200, 0}, {"a", 1300, 0}, {"b", 1400, 0}, {"a", 1600, 0}, {"b", 1600, 0}};
    // At 1600 both fall due: "a" was armed (at 1300) before "b" (at 1400).
    EXPECT_EQ(fired, expected);
}

TEST_F(VirtualClockTest, TimerDueExactlyAtTheDeadlineFiresWithinTheWait) {
    clock.startTimer(500, record("t"));
    clock.waitMs(500);
    ASSERT_EQ(fired.size(), 1u);
    EXPECT_EQ(fired[0].atMs, 1500);
}

TEST_F(VirtualClockTest, NonPositiveWaitReturnsWithoutRunningAnything) {
    clock.startTimer(1, record("t"));
    clock.waitMs(0);
    clock.waitMs(-5);
    EXPECT_EQ(clock.elapsedMs(), 1000);
    EXPECT_TRUE(fired.empty());
}

TEST_F(VirtualClockTest, HandlerThatWaitsGetsLaterTicksNestedInsideItsWait) {
    int ticks = 0;
    clock.startTimer(1000, [&] {
        ++ticks;
        fired.push_back({"tick", clock.elapsedMs(), depth});
        if (ticks == 1) {
            ++depth;
            clock.waitMs(2500);  // ticks 2 and 3 fall due in here
            --depth;
            fired.push_back({"end", clock.elapsedMs(), depth});
        }
    });
    clock.advance(4000);
    const std::vector<Fired> expected{{"tick", 2000, 0},
                                      {"tick", 3000, 1},
                                      {"tick", 4000, 1},
                                      {"end", 4500, 0},
                                      {"tick", 5000, 0}};
    EXPECT_EQ(fired, expected);
    EXPECT_EQ(clock.elapsedMs(), 5000);
}

TEST_F(VirtualClockTest, NestedWaitPastTheOuterDeadlineEndsTheOuterWaitLate) {
    clock.startTimer(100, [&] {
        if (fired.empty()) {
            fired.push_back({"long", clock.elapsedMs(), 0});
            clock.waitMs(1000);
        }
    });
    clock.waitMs(200);
    EXPECT_EQ(clock.elapsedMs(), 2100);
}

TEST_F(VirtualClockTest, TimerStoppedInsideItsOwnHandlerFiresNoMore) {
    Clock::TimerId id = 0;
    int ticks = 0;
    id = clock.startTimer(10, [&] {
        if (++ticks == 3) {
            clock.stopTimer(id);
        }
    });
    clock.waitMs(1000);
    EXPECT_EQ(ticks, 3);
    EXPECT_FALSE(clock.isTimerActive(id));
    clock.stopTimer(id);  // again: ignored
    clock.stopTimer(12345);
}

TEST_F(VirtualClockTest, TimerStartedInsideAHandlerCountsFromThatMoment) {
    clock.startTimer(100, [&] {
        if (fired.empty()) {
            fired.push_back({"outer", clock.elapsedMs(), 0});
            clock.startTimer(250, record("inner"));
        }
    });
    clock.waitMs(400);
    ASSERT_EQ(fired.size(), 2u);
    EXPECT_EQ(fired[1], (Fired{"inner", 1350, 0}));
}

TEST_F(VirtualClockTest, WaitForChecksTheConditionBetweenEvents) {
    bool flag = false;
    clock.startTimer(700, [&] { flag = true; });
    EXPECT_TRUE(clock.waitFor([&] { return flag; }, 5000));
    EXPECT_EQ(clock.elapsedMs(), 1700);
}

TEST_F(VirtualClockTest, WaitForReturnsAtOnceWhenTheConditionHolds) {
    clock.startTimer(1, record("t"));
    EXPECT_TRUE(clock.waitFor([] { return true; }, 5000));
    EXPECT_EQ(clock.elapsedMs(), 1000);
    EXPECT_TRUE(fired.empty());
}

TEST_F(VirtualClockTest, WaitForTimesOutAtTheDeadline) {
    clock.startTimer(300, record("t"));
    EXPECT_FALSE(clock.waitFor([] { return false; }, 1000));
    EXPECT_EQ(clock.elapsedMs(), 2000);
    EXPECT_EQ(fired.size(), 3u);
}

TEST_F(VirtualClockTest, EventPumpRunsAtEveryStepAndCanEndAConditionWait) {
    int pumps = 0;
    clock.setEventPump([&] { ++pumps; });
    // Pumps at 1000, 1010 and 1020: the wait steps through time even without timers.
    EXPECT_TRUE(clock.waitFor([&] { return pumps >= 3; }, 10000));
    EXPECT_EQ(clock.elapsedMs(), 1020);

    int yields = 0;
    clock.setYieldHook([&] { ++yields; });
    const int before = pumps;
    clock.yield();
    EXPECT_EQ(pumps, before + 1);
    EXPECT_EQ(yields, 1);
    EXPECT_EQ(clock.elapsedMs(), 1020);
}

TEST_F(VirtualClockTest, LocalTimeFollowsVirtualTimeAndWrapsAtMidnight) {
    clock.setLocalTime(23, 59, 58);
    clock.advance(999);
    EXPECT_EQ(clock.localTime().seconds, 58);
    clock.advance(1);
    EXPECT_EQ(clock.localTime().seconds, 59);
    clock.advance(2000);
    const TimeOfDay t = clock.localTime();
    EXPECT_EQ(t.hours, 0);
    EXPECT_EQ(t.minutes, 0);
    EXPECT_EQ(t.seconds, 1);
    clock.advance(24LL * 3600 * 1000);
    EXPECT_EQ(clock.localTime().seconds, 1);
    EXPECT_EQ(clock.localTime().hours, 0);
}

TEST_F(VirtualClockTest, RunawayTimerLoopThrowsInsteadOfHanging) {
    clock.setFiringLimit(1000);
    clock.startTimer(1, [] {});
    EXPECT_THROW(clock.waitMs(1'000'000), std::runtime_error);
    // The limit counts per outermost wait: shorter waits go on working.
    EXPECT_NO_THROW(clock.waitMs(500));
}

TEST_F(VirtualClockTest, EndlesslyNestingHandlerThrowsInsteadOfOverflowingTheStack) {
    clock.startTimer(10, [&] { clock.waitMs(20); });
    EXPECT_THROW(clock.waitMs(100), std::runtime_error);
    // The depth is restored after the throw.
    clock.stopTimer(1);
    EXPECT_NO_THROW(clock.waitMs(100));
}

}  // namespace
}  // namespace keyrelay
