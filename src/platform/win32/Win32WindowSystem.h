#pragma once

#include "platform/WindowSystem.h"

namespace keyrelay {

// Top-level windows of the interactive desktop, through user32.
//
// Titles are read with the wide-character functions and reported as UTF-8, so a title
// with characters outside the ANSI code page is reported as it is shown rather than with
// "?" in their place. Windows without the visible style (tool and IME helper windows,
// the hidden owner windows that carry a program's name) are left out: they cannot be
// brought to the front and have no useful rectangle.
class Win32WindowSystem : public WindowSystem {
public:
    std::vector<TopLevelWindow> topLevelWindows() override;

    // Restores a minimised window, then makes it the foreground window. When Windows'
    // foreground lock refuses, retries with this thread's input attached to the
    // foreground thread, then after an Alt key tap. Throws PlatformError with the system's
    // error number (1400 for a window that is gone), or errors::PermissionDenied when
    // Windows refuses without giving one.
    void activate(WindowHandle window) override;

    // GetWindowRect: screen pixels, frame included. Throws PlatformError (1400) for a
    // window that is gone.
    ScreenRect windowRect(WindowHandle window) override;
};

}  // namespace keyrelay
