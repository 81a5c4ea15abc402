#include "fakes/VirtualClock.h"

#include <algorithm>
#include <stdexcept>
#include <string>

namespace keyrelay {

namespace {

constexpr std::int64_t SecondsPerDay = 24 * 3600;

// Leaves the wait depth as it was, also when a handler throws.
class DepthGuard {
public:
    DepthGuard(int& depth, std::int64_t& firings) : depth_(depth) {
        if (depth_ == 0) {
            firings = 0;
        }
        ++depth_;
    }
    ~DepthGuard() { --depth_; }
    DepthGuard(const DepthGuard&) = delete;
    DepthGuard& operator=(const DepthGuard&) = delete;

private:
    int& depth_;
};

}  // namespace

VirtualClock::VirtualClock(std::int64_t startMs) : now_(startMs), localBaseMs_(startMs) {}

void VirtualClock::pump() {
    if (pump_) {
        pump_();
    }
}

bool VirtualClock::run(std::int64_t deadline, const std::function<bool()>* done) {
    if (depth_ >= DepthLimit) {
        throw std::runtime_error("VirtualClock: waits nested " + std::to_string(DepthLimit) +
                                 " deep; a handler keeps waiting inside its own ticks");
    }
    DepthGuard guard(depth_, firings_);
    for (;;) {
        pump();
        if (done && (*done)()) {
            return true;
        }
        auto next = timers_.end();
        for (auto it = timers_.begin(); it != timers_.end(); ++it) {
            const Timer& t = it->second;
            if (t.dueMs > deadline) {
                continue;
            }
            if (next == timers_.end() || t.dueMs < next->second.dueMs ||
                (t.dueMs == next->second.dueMs && t.armOrder < next->second.armOrder)) {
                next = it;
            }
        }
        const std::int64_t stepEnd = pump_ ? std::min(deadline, now_ + pumpStepMs_) : deadline;
        if (next == timers_.end() || next->second.dueMs > stepEnd) {
            now_ = std::max(now_, stepEnd);
            if (stepEnd < deadline) {
                countStep();
                continue;
            }
            if (done) {
                pump();
                return (*done)();
            }
            return false;
        }
        countStep();
        Timer& t = next->second;
        now_ = std::max(now_, t.dueMs);
        // Re-armed before the handler runs, so a handler that waits gets its next ticks.
        t.dueMs += t.intervalMs;
        if (t.dueMs <= now_) {
            t.dueMs = now_ + t.intervalMs;
        }
        t.armOrder = nextArmOrder_++;
        // The handler may stop (and so destroy) its own timer.
        const std::shared_ptr<std::function<void()>> onTick = t.onTick;
        (*onTick)();
    }
}

void VirtualClock::countStep() {
    if (++firings_ > firingLimit_) {
        throw std::runtime_error("VirtualClock: more than " + std::to_string(firingLimit_) +
                                 " timer firings and pump steps in one wait; a timer loop "
                                 "never ends");
    }
}

void VirtualClock::waitMs(std::int64_t ms) {
    if (ms <= 0) {
        return;
    }
    run(now_ + ms, nullptr);
}

bool VirtualClock::waitFor(const std::function<bool()>& done, std::int64_t timeoutMs) {
    if (done()) {
        return true;
    }
    return run(now_ + std::max<std::int64_t>(timeoutMs, 0), &done);
}

void VirtualClock::yield() {
    pump();
    if (yieldHook_) {
        yieldHook_();
    }
}

Clock::TimerId VirtualClock::startTimer(std::int64_t intervalMs, std::function<void()> onTick) {
    Timer t;
    t.intervalMs = std::max<std::int64_t>(intervalMs, 1);
    t.dueMs = now_ + t.intervalMs;
    t.armOrder = nextArmOrder_++;
    t.onTick = std::make_shared<std::function<void()>>(std::move(onTick));
    const TimerId id = nextId_++;
    timers_.emplace(id, std::move(t));
    return id;
}

void VirtualClock::stopTimer(TimerId id) {
    timers_.erase(id);
}

void VirtualClock::setLocalTime(int hours, int minutes, int seconds) {
    localBaseSeconds_ =
        ((std::int64_t{hours} * 3600 + minutes * 60 + seconds) % SecondsPerDay + SecondsPerDay) %
        SecondsPerDay;
    localBaseMs_ = now_;
}

TimeOfDay VirtualClock::localTime() {
    const std::int64_t passed = now_ - localBaseMs_;  // never negative: time only grows
    const std::int64_t secs = (localBaseSeconds_ + passed / 1000) % SecondsPerDay;
    return TimeOfDay{static_cast<int>(secs / 3600), static_cast<int>(secs / 60 % 60),
                     static_cast<int>(secs % 60)};
}

}  // namespace keyrelay
