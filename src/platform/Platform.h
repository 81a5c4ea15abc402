#pragma once

#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "platform/KeyInjector.h"
#include "platform/Mouse.h"
#include "platform/Processes.h"
#include "platform/WindowSystem.h"

namespace keyrelay {

// The services the program uses to act on the desktop, handed to it as one bundle.
// The program owns none of them.
struct Platform {
    WindowSystem& windows;
    KeyInjector& standardKeys;   // the standard injection path
    KeyInjector& alternateKeys;  // the alternate path ("Check this box if you get errors...")
    Mouse& mouse;
    Processes& processes;
    Clock& clock;
    Dialogs& dialogs;
};

}  // namespace keyrelay
