#pragma once

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "platform/Clock.h"
#include "platform/PlatformError.h"
#include "platform/WindowSystem.h"

namespace keyrelay {

// A scripted desktop: top-level windows in z-order, topmost first. Activating a window
// records it and moves it to the top, where it then has the keyboard focus.
class FakeWindowSystem : public WindowSystem {
public:
    struct Activation {
        WindowHandle handle = 0;
        std::string title;
        std::int64_t atMs = 0;  // virtual time
    };

    explicit FakeWindowSystem(Clock& clock) : clock_(clock) {}

    // Adds a window below the ones already there, so windows added in turn are listed in
    // that order. Handles start at 0x100.
    WindowHandle addWindow(const std::string& title, ScreenRect rect = {}) {
        windows_.push_back(Window{{nextHandle_, title}, rect});
        return nextHandle_++;
    }

    // The window on top (the one with the focus), if any.
    std::optional<TopLevelWindow> foreground() const {
        return windows_.empty() ? std::nullopt : std::optional<TopLevelWindow>(windows_.front());
    }

    // While set, activate() throws this instead of activating.
    void setActivateFailure(std::optional<PlatformError> failure) {
        activateFailure_ = std::move(failure);
    }

    const std::vector<Activation>& activations() const { return activations_; }
    void clearActivations() { activations_.clear(); }

    std::vector<TopLevelWindow> topLevelWindows() override {
        return {windows_.begin(), windows_.end()};
    }
    void activate(WindowHandle window) override {
        if (activateFailure_) {
            throw *activateFailure_;
        }
        const auto it = find(window);
        std::rotate(windows_.begin(), it, it + 1);
        activations_.push_back(Activation{window, windows_.front().title, clock_.elapsedMs()});
    }
    ScreenRect windowRect(WindowHandle window) override { return find(window)->rect; }

private:
    struct Window : TopLevelWindow {
        ScreenRect rect;
    };

    std::vector<Window>::iterator find(WindowHandle handle) {
        const auto it = std::find_if(windows_.begin(), windows_.end(),
                                     [handle](const Window& w) { return w.handle == handle; });
        if (it == windows_.end()) {
            throw PlatformError(errors::InvalidArgument, "No such window");
        }
        return it;
    }

    Clock& clock_;
    std::vector<Window> windows_;
    WindowHandle nextHandle_ = 0x100;
    std::optional<PlatformError> activateFailure_;
    std::vector<Activation> activations_;
};

}  // namespace keyrelay
