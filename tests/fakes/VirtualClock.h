#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>

#include "platform/Clock.h"

namespace keyrelay {

// A clock for tests whose time moves only when the code under test waits: a wait jumps
// from one due timer to the next, firing each at its due time, so an hour of ticks runs
// in milliseconds and always in the same order (equal due times in the order armed).
//
// As on the real event loop, a repeating timer is re-armed before its handler runs, so a
// handler that waits gets the ticks that fall due meanwhile delivered inside its wait;
// waits nest. A runaway (a timer loop that never lets a wait end, a handler that nests
// waits without end) throws std::runtime_error instead of hanging the test.
class VirtualClock : public Clock {
public:
    std::int64_t elapsedMs() override { return now_; }
    void waitMs(std::int64_t ms) override;
    bool waitFor(const std::function<bool()>& done, std::int64_t timeoutMs) override;
    void yield() override;
    TimerId startTimer(std::int64_t intervalMs, std::function<void()> onTick) override;
    void stopTimer(TimerId id) override { timers_.erase(id); }
    TimeOfDay localTime() override;

    // Lets virtual time pass from the outside, firing the timers due meanwhile.
    void advance(std::int64_t ms) { waitMs(ms); }

    // The local time of day now (it starts at 12:00:00); it then follows virtual time and
    // wraps at midnight.
    void setLocalTime(int hours, int minutes, int seconds = 0);

    // Called at every step of a wait and at every yield(), before the timers are looked at:
    // a test with real sockets pumps Qt's events here. While a pump is set, waits also take
    // steps of at most `stepMs` of virtual time between timers, so that a condition wait
    // sees what the pump brought in before its timeout.
    void setEventPump(std::function<void()> pump, std::int64_t stepMs = 10) {
        pump_ = std::move(pump);
        pumpStepMs_ = std::max<std::int64_t>(stepMs, 1);
    }
    // Called at every yield(), after the event pump.
    void setYieldHook(std::function<void()> hook) { yieldHook_ = std::move(hook); }

private:
    struct Timer {
        std::int64_t intervalMs = 1;
        std::int64_t dueMs = 0;
        std::uint64_t armOrder = 0;
        std::shared_ptr<std::function<void()>> onTick;
    };

    // Runs timers due up to `deadline` (or until `done` holds); true when `done` held.
    bool run(std::int64_t deadline, const std::function<bool()>* done);
    void pump();

    std::int64_t now_ = 0;
    std::map<TimerId, Timer> timers_;
    TimerId nextId_ = 1;
    std::uint64_t nextArmOrder_ = 0;
    int depth_ = 0;
    std::int64_t steps_ = 0;  // timer firings and pump steps in the current outermost wait
    std::int64_t localBaseSeconds_ = 12 * 3600;  // local time of day at localBaseMs_
    std::int64_t localBaseMs_ = 0;
    std::function<void()> pump_;
    std::int64_t pumpStepMs_ = 10;
    std::function<void()> yieldHook_;
};

}  // namespace keyrelay
