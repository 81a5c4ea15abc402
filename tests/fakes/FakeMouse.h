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
        std::int64_t atMs = 0;  // virtual time, when a clock was given
        bool operator==(const Event&) const = default;
    };

    explicit FakeMouse(Clock* clock = nullptr) : clock_(clock) {}

    // While set, every call throws this and records nothing.
    void setFailure(std::optional<PlatformError> failure) { failure_ = std::move(failure); }

    const std::vector<Event>& events() const { return events_; }
    void clear() { events_.clear(); }
    int x() const { return x_; }
    int y() const { return y_; }

    void moveTo(int x, int y) override;
    void leftDown() override;
    void leftUp() override;

private:
    void record(Action action);

    Clock* clock_;
    std::optional<PlatformError> failure_;
    std::vector<Event> events_;
    int x_ = 0;
    int y_ = 0;
};

}  // namespace keyrelay
