#pragma once

#include <memory>

#include "platform/KeyInjector.h"
#include "platform/Mouse.h"
#include "platform/Processes.h"
#include "platform/WindowSystem.h"

namespace keyrelay {

// The services that differ by operating system. One implementation library per OS
// (x11/, win32/) defines createNativeServices(); CMake links the one for the target.
class NativeServices {
public:
    virtual ~NativeServices() = default;
    virtual WindowSystem& windows() = 0;
    virtual KeyInjector& standardKeys() = 0;
    virtual KeyInjector& alternateKeys() = 0;
    virtual Mouse& mouse() = 0;
    virtual Processes& processes() = 0;
};

// Connects to the desktop. Throws PlatformError(errors::DeviceUnavailable, ...) when
// there is none (no X display, no XTest extension).
std::unique_ptr<NativeServices> createNativeServices();

}  // namespace keyrelay
