#pragma once

#include <X11/Xlib.h>

#include <memory>
#include <vector>

#include "platform/WindowSystem.h"
#include "platform/x11/X11Display.h"

namespace keyrelay {

// Top-level windows on X11. With a window manager (EWMH) the list is its client list in
// stacking order and activation goes through it (_NET_ACTIVE_WINDOW); without one the
// root's children are the top-level windows and activation raises and focuses directly.
//
// Failures: activate() and windowRect() throw PlatformError with the X error code
// (BadWindow = 3 for a window that has gone).
class X11WindowSystem : public WindowSystem {
public:
    explicit X11WindowSystem(std::shared_ptr<X11Display> display);

    std::vector<TopLevelWindow> topLevelWindows() override;
    void activate(WindowHandle window) override;
    ScreenRect windowRect(WindowHandle window) override;

    // The client windows, topmost first, without their titles.
    std::vector<::Window> stackedClients();

private:
    std::vector<::Window> clientsFromTree();
    ::Window clientInside(::Window frame);
    // Returns true when the window was minimised and is being restored.
    bool activateThroughWindowManager(::Window window);
    void requestActivation(::Window window);
    void activateDirectly(::Window window);
    bool waitForFocus(::Window window);

    std::shared_ptr<X11Display> display_;
};

}  // namespace keyrelay
