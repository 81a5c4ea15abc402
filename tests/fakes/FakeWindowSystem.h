#pragma once

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
        std::int64_t atMs = 0;  // virtual time, when a clock was given
    };

    // `clock` (may be null) stamps the activations.
    explicit FakeWindowSystem(Clock* clock = nullptr) : clock_(clock) {}

    // Adds a window below the ones already there, so windows added in turn are listed in
    // that order. Handles start at 0x100 and are never reused.
    WindowHandle addWindow(const std::string& title, ScreenRect rect = {});
    // Adds a window on top of the others.
    WindowHandle addWindowOnTop(const std::string& title, ScreenRect rect = {});
    void removeWindow(WindowHandle handle);
    void setTitle(WindowHandle handle, const std::string& title);
    void setRect(WindowHandle handle, ScreenRect rect);

    // The window on top (the one with the focus), if any.
    std::optional<TopLevelWindow> foreground() const;

    // While set, activate() throws this instead of activating.
    void setActivateFailure(std::optional<PlatformError> failure) {
        activateFailure_ = std::move(failure);
    }

    const std::vector<Activation>& activations() const { return activations_; }
    // Titles of the activated windows, in order.
    std::vector<std::string> activatedTitles() const;
    void clearActivations() { activations_.clear(); }

    std::vector<TopLevelWindow> topLevelWindows() override;
    void activate(WindowHandle window) override;
    ScreenRect windowRect(WindowHandle window) override;

private:
    struct Window {
        WindowHandle handle;
        std::string title;
        ScreenRect rect;
    };

    std::vector<Window>::iterator find(WindowHandle handle);

    Clock* clock_;
    std::vector<Window> windows_;
    WindowHandle nextHandle_ = 0x100;
    std::optional<PlatformError> activateFailure_;
    std::vector<Activation> activations_;
};

}  // namespace keyrelay
