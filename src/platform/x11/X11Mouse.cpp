#include "platform/x11/X11Mouse.h"

#include <X11/extensions/XTest.h>

#include "platform/x11/X11ErrorTrap.h"

namespace keyrelay {

X11Mouse::X11Mouse(std::shared_ptr<X11Display> display) : display_(std::move(display)) {}

void X11Mouse::moveTo(int x, int y) {
    Display* dpy = display_->get();
    X11ErrorTrap trap(dpy);
    XTestFakeMotionEvent(dpy, DefaultScreen(dpy), x, y, CurrentTime);
    trap.check("Cannot move the mouse pointer");
}

void X11Mouse::leftDown() {
    Display* dpy = display_->get();
    X11ErrorTrap trap(dpy);
    XTestFakeButtonEvent(dpy, Button1, True, CurrentTime);
    trap.check("Cannot press the left mouse button");
}

void X11Mouse::leftUp() {
    Display* dpy = display_->get();
    X11ErrorTrap trap(dpy);
    XTestFakeButtonEvent(dpy, Button1, False, CurrentTime);
    trap.check("Cannot release the left mouse button");
}

}  // namespace keyrelay
