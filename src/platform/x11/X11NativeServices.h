#pragma once

#include <memory>

#include "platform/NativeServices.h"
#include "platform/x11/ProcProcesses.h"
#include "platform/x11/SendEventKeyInjector.h"
#include "platform/x11/X11Display.h"
#include "platform/x11/X11Mouse.h"
#include "platform/x11/X11StartMinimizer.h"
#include "platform/x11/X11WindowSystem.h"
#include "platform/x11/XTestKeyInjector.h"

namespace keyrelay {

// The X11 services on one connection to the display, used from the thread that
// created them (the user-interface thread).
class X11NativeServices : public NativeServices {
public:
    explicit X11NativeServices(std::shared_ptr<X11Display> display);

    WindowSystem& windows() override { return windows_; }
    KeyInjector& standardKeys() override { return standardKeys_; }
    KeyInjector& alternateKeys() override { return alternateKeys_; }
    Mouse& mouse() override { return mouse_; }
    Processes& processes() override { return processes_; }

private:
    std::shared_ptr<X11Display> display_;
    X11WindowSystem windows_;
    XTestKeyInjector standardKeys_;
    SendEventKeyInjector alternateKeys_;
    X11Mouse mouse_;
    X11StartMinimizer minimizer_;
    ProcProcesses processes_;
};

}  // namespace keyrelay
