#include "fakes/FakeMouse.h"

namespace keyrelay {

void FakeMouse::record(Action action) {
    if (failure_) {
        throw *failure_;
    }
    events_.push_back(Event{action, x_, y_, clock_ ? clock_->elapsedMs() : 0});
}

void FakeMouse::moveTo(int x, int y) {
    if (failure_) {
        throw *failure_;
    }
    x_ = x;
    y_ = y;
    record(Action::Move);
}

void FakeMouse::leftDown() {
    record(Action::LeftDown);
}

void FakeMouse::leftUp() {
    record(Action::LeftUp);
}

}  // namespace keyrelay
