#include "fakes/VirtualClock.h"

#include <stdexcept>
#include <tuple>

namespace keyrelay {

namespace {

constexpr std::int64_t SecondsPerDay = 24 * 3600;
constexpr int DepthLimit = 1000;
constexpr std::int64_t StepLimit = 5'000'000;

}  // namespace

void VirtualClock::pump() {
    if (pump_) {
        pump_();
    }
}

bool VirtualClock::run(std::int64_t deadline, const std::function<bool()>* done) {
    if (depth_ >= DepthLimit) {
        throw std::runtime_error("VirtualClock: a handler keeps waiting inside its own ticks");
    }
    if (depth_ == 0) {
        steps_ = 0;
    }
    // The depth goes back also when a handler throws.
    struct Nesting {
        int& depth;
        ~Nesting() { --depth; }
    } nesting{++depth_};
    for (;;) {
        pump();
        if (done && (*done)()) {
            return true;
        }
        if (++steps_ > StepLimit) {
            throw std::runtime_error("VirtualClock: a timer loop never lets the wait end");
        }
        Timer* next = nullptr;
        for (auto& [id, t] : timers_) {
            if (t.dueMs <= deadline &&
                (!next || std::tie(t.dueMs, t.armOrder) < std::tie(next->dueMs, next->armOrder))) {
                next = &t;
            }
        }
        const std::int64_t stepEnd = pump_ ? std::min(deadline, now_ + pumpStepMs_) : deadline;
        if (!next || next->dueMs > stepEnd) {
            now_ = std::max(now_, stepEnd);
            if (stepEnd < deadline) {
                continue;
            }
            if (done) {
                pump();
                return (*done)();
            }
            return false;
        }
        now_ = std::max(now_, next->dueMs);
        // Re-armed before the handler runs, so a handler that waits gets its next ticks.
        next->dueMs += next->intervalMs;
        if (next->dueMs <= now_) {
            next->dueMs = now_ + next->intervalMs;
        }
        next->armOrder = nextArmOrder_++;
        // The handler may stop (and so destroy) its own timer.
        const std::shared_ptr<std::function<void()>> onTick = next->onTick;
        (*onTick)();
    }
}

void VirtualClock::waitMs(std::int64_t ms) {
    if (ms > 0) {
        run(now_ + ms, nullptr);
    }
}

bool VirtualClock::waitFor(const std::function<bool()>& done, std::int64_t timeoutMs) {
    return done() || run(now_ + std::max<std::int64_t>(timeoutMs, 0), &done);
}

void VirtualClock::yield() {
    pump();
    if (yieldHook_) {
        yieldHook_();
    }
}

Clock::TimerId VirtualClock::startTimer(std::int64_t intervalMs, std::function<void()> onTick) {
    const std::int64_t interval = std::max<std::int64_t>(intervalMs, 1);
    timers_[nextId_] = Timer{interval, now_ + interval, nextArmOrder_++,
                             std::make_shared<std::function<void()>>(std::move(onTick))};
    return nextId_++;
}

void VirtualClock::setLocalTime(int hours, int minutes, int seconds) {
    const std::int64_t secs = std::int64_t{hours} * 3600 + minutes * 60 + seconds;
    localBaseSeconds_ = (secs % SecondsPerDay + SecondsPerDay) % SecondsPerDay;
    localBaseMs_ = now_;
}

TimeOfDay VirtualClock::localTime() {
    const std::int64_t secs = (localBaseSeconds_ + (now_ - localBaseMs_) / 1000) % SecondsPerDay;
    return TimeOfDay{static_cast<int>(secs / 3600), static_cast<int>(secs / 60 % 60),
                     static_cast<int>(secs % 60)};
}

}  // namespace keyrelay
