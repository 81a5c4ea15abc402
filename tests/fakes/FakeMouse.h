#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/Clock.h"
#include "platform/Mouse.h"
#include "platform/PlatformError.h"

namespace keyrelay {

// Records the pointer's moves and the left button's presses and releases.
class FakeMouse : public Mouse {
public:
    enum class Action { Move, LeftDown, LeftUp };
    struct Event {
        Action action = Action::Move;
        int x = 0;  // the pointer's position at that moment
        int y = 0;
        std::int64_t atMs = 0;  // virtual time
        bool operator==(const Event&) const = default;
    };

    explicit FakeMouse(Clock& clock) : clock_(clock) {}

    // While set, every call throws this and records nothing.
    void setFailure(std::optional<PlatformError> failure) { failure_ = std::move(failure); }

    const std::vector<Event>& events() const { return events_; }
    int x() const { return x_; }
    int y() const { return y_; }

    void moveTo(int x, int y) override { record(Action::Move, x, y); }
    void leftDown() override { record(Action::LeftDown, x_, y_); }
    void leftUp() override { record(Action::LeftUp, x_, y_); }

private:
    void record(Action action, int x, int y) {
        if (failure_) {
            throw *failure_;
        }
        x_ = x;
        y_ = y;
        events_.push_back(Event{action, x, y, clock_.elapsedMs()});
    }

    Clock& clock_;
    std::optional<PlatformError> failure_;
    std::vector<Event> events_;
    int x_ = 0;
    int y_ = 0;
};

}  // namespace keyrelay
