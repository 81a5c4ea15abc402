#pragma once

#include "platform/NativeServices.h"
#include "platform/win32/ScriptHostKeyInjector.h"
#include "platform/win32/SendInputKeyInjector.h"
#include "platform/win32/Win32Mouse.h"
#include "platform/win32/Win32Processes.h"
#include "platform/win32/Win32WindowSystem.h"

namespace keyrelay {

// The Windows services as one bundle: SendInput is the standard typing path, the script
// host's SendKeys the alternate one.
class Win32NativeServices : public NativeServices {
public:
    WindowSystem& windows() override { return windows_; }
    KeyInjector& standardKeys() override { return standardKeys_; }
    KeyInjector& alternateKeys() override { return alternateKeys_; }
    Mouse& mouse() override { return mouse_; }
    Processes& processes() override { return processes_; }

private:
    Win32WindowSystem windows_;
    SendInputKeyInjector standardKeys_;
    ScriptHostKeyInjector alternateKeys_;
    Win32Mouse mouse_;
    Win32Processes processes_;
};

}  // namespace keyrelay
