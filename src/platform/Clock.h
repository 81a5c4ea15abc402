#pragma once

#include <cstdint>
#include <functional>

namespace keyrelay {

struct TimeOfDay {
    int hours = 0;    // 0 to 23
    int minutes = 0;  // 0 to 59
    int seconds = 0;  // 0 to 59
};

// Every wait, pause, timer and elapsed-time reading of the program goes through this
// service. In the program it runs on Qt's event loop; in tests a virtual clock jumps
// from one due timer to the next.
//
// Waits keep the event loop running: timers, socket events and clicks are handled
// inside a wait (handlers guard themselves against re-entry with busy flags).
class Clock {
public:
    using TimerId = int;

    virtual ~Clock() = default;

    // Monotonic milliseconds since an arbitrary origin; never goes backwards, also
    // across midnight or a change of the wall clock.
    virtual std::int64_t elapsedMs() = 0;

    // Returns after `ms` milliseconds (at once for ms <= 0, without running events),
    // running the event loop meanwhile.
    virtual void waitMs(std::int64_t ms) = 0;

    // Runs the event loop until `done()` is true or `timeoutMs` has passed; returns the
    // last value of done(). done() is tested first, so a condition that already holds
    // returns at once.
    virtual bool waitFor(const std::function<bool()>& done, std::int64_t timeoutMs) = 0;

    // One turn of the event loop: handles what is pending and returns without waiting.
    virtual void yield() = 0;

    // Calls `onTick` every `intervalMs` milliseconds until stopped. A tick that falls
    // due while an earlier tick's handler is still waiting is delivered inside that
    // wait, as on the real event loop.
    virtual TimerId startTimer(std::int64_t intervalMs, std::function<void()> onTick) = 0;
    // Stops a timer; unknown or already stopped ids are ignored.
    virtual void stopTimer(TimerId id) = 0;

    // The local wall-clock time of day.
    virtual TimeOfDay localTime() = 0;
};

}  // namespace keyrelay
