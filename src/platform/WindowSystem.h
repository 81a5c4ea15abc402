#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace keyrelay {

using WindowHandle = std::uint64_t;

// A window's outer rectangle (frame included) in screen pixels; right and bottom
// are one past the last pixel.
struct ScreenRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool operator==(const ScreenRect&) const = default;
};

struct TopLevelWindow {
    WindowHandle handle = 0;
    std::string title;  // UTF-8, may be empty
};

// The desktop's top-level windows. Implementations: x11/, win32/, the test fakes.
class WindowSystem {
public:
    virtual ~WindowSystem() = default;

    // Top-level windows in z-order, topmost first, with their whole titles. Only
    // windows a user could see and activate (mapped, not override-redirect on X11).
    // Returns an empty list when the window system cannot be asked.
    virtual std::vector<TopLevelWindow> topLevelWindows() = 0;

    // Brings `window` to the front and gives it the keyboard focus, restoring it when
    // it is minimised. Returns without waiting for the target to become idle.
    // Throws PlatformError when the window is gone or refuses.
    virtual void activate(WindowHandle window) = 0;

    // Outer rectangle in screen pixels. Throws PlatformError when the window is gone.
    virtual ScreenRect windowRect(WindowHandle window) = 0;
};

}  // namespace keyrelay
