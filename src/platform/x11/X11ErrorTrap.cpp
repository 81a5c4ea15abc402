#include "platform/x11/X11ErrorTrap.h"

#include <cstdio>
#include <mutex>
#include <set>

#include "platform/PlatformError.h"

namespace keyrelay {

namespace {

std::mutex registryMutex;
std::set<Display*>& ourDisplays() {
    static std::set<Display*> displays;
    return displays;
}
XErrorHandler previousHandler = nullptr;
std::once_flag handlerInstalled;

// The innermost trap of this thread. Xlib calls the error handler on the thread that
// reads the error, which is the thread that owns the display and its traps.
thread_local X11ErrorTrap* innermost = nullptr;

}  // namespace

X11ErrorTrap::X11ErrorTrap(Display* display) : display_(display), outer_(innermost) {
    std::call_once(handlerInstalled, [] { previousHandler = XSetErrorHandler(&handler); });
    // Another library (Qt's xcb plugin does) may have set its own handler since; put ours
    // back in front of it.
    if (XErrorHandler current = XSetErrorHandler(&handler); current != &handler) {
        std::lock_guard lock(registryMutex);
        previousHandler = current;
    }
    innermost = this;
}

X11ErrorTrap::~X11ErrorTrap() {
    innermost = outer_;
}

void X11ErrorTrap::registerDisplay(Display* display) {
    std::call_once(handlerInstalled, [] { previousHandler = XSetErrorHandler(&handler); });
    std::lock_guard lock(registryMutex);
    ourDisplays().insert(display);
}

void X11ErrorTrap::unregisterDisplay(Display* display) {
    std::lock_guard lock(registryMutex);
    ourDisplays().erase(display);
}

int X11ErrorTrap::handler(Display* display, XErrorEvent* event) {
    for (X11ErrorTrap* trap = innermost; trap != nullptr; trap = trap->outer_) {
        if (trap->display_ == display) {
            if (trap->errorCode_ == 0) {
                trap->errorCode_ = event->error_code;
                trap->requestCode_ = event->request_code;
                trap->minorCode_ = event->minor_code;
                trap->resource_ = event->resourceid;
            }
            return 0;
        }
    }
    {
        std::lock_guard lock(registryMutex);
        if (ourDisplays().count(display) != 0) {
            return 0;
        }
    }
    XErrorHandler previous = nullptr;
    {
        std::lock_guard lock(registryMutex);
        previous = previousHandler;
    }
    return previous != nullptr ? previous(display, event) : 0;
}

void X11ErrorTrap::sync() {
    XSync(display_, False);
}

std::string X11ErrorTrap::describe() const {
    char name[128] = {};
    XGetErrorText(display_, errorCode_, name, sizeof name);
    char text[256];
    std::snprintf(text, sizeof text, "X error %s (request %d.%d, resource 0x%lx)", name,
                  requestCode_, minorCode_, resource_);
    return text;
}

void X11ErrorTrap::check(const std::string& what) {
    sync();
    if (failed()) {
        throw PlatformError(errorCode_, what + ": " + describe());
    }
}

}  // namespace keyrelay
