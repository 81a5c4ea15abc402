#include "platform/win32/Win32WindowSystem.h"

#include <windows.h>

#include <cstdint>
#include <unordered_set>

#include "platform/PlatformError.h"
#include "platform/win32/Win32Error.h"
#include "platform/win32/Win32Text.h"

namespace keyrelay {

namespace {

// The walk follows live links that other programs change while it runs; a window that
// moves in the z-order during the walk could lead it round in a circle. No desktop has
// anywhere near this many top-level windows.
constexpr std::size_t MaxWalk = 65536;

HWND toHwnd(WindowHandle window) {
    return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(window));
}

WindowHandle toHandle(HWND window) {
    return static_cast<WindowHandle>(reinterpret_cast<std::uintptr_t>(window));
}

std::string titleOf(HWND window) {
    const int length = GetWindowTextLengthW(window);
    if (length <= 0) {
        return {};
    }
    // The length may be larger than the text (it is an upper bound), never smaller.
    std::wstring buffer(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(window, buffer.data(), length + 1);
    buffer.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
    return win32::toUtf8(buffer);
}

HWND existingWindow(WindowHandle window) {
    HWND hwnd = toHwnd(window);
    if (window == 0 || !IsWindow(hwnd)) {
        throw win32::systemError(ERROR_INVALID_WINDOW_HANDLE);
    }
    return hwnd;
}

// Pressing and releasing Alt makes this process the one that received the last input
// event, which Windows accepts as a reason to let it change the foreground window.
void tapAlt() {
    INPUT inputs[2] = {};
    inputs[0].type = INPUT_KEYBOARD;
    inputs[0].ki.wVk = VK_MENU;
    inputs[1] = inputs[0];
    inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, inputs, sizeof(INPUT));
}

bool setForeground(HWND window, DWORD& error) {
    SetLastError(0);
    if (SetForegroundWindow(window)) {
        // Windows raises the new foreground window itself; Wine under an X window manager
        // leaves its own z-order as it was, so the window would not be first in the next
        // listing.
        BringWindowToTop(window);
        return true;
    }
    error = GetLastError();
    return false;
}

}  // namespace

std::vector<TopLevelWindow> Win32WindowSystem::topLevelWindows() {
    std::vector<TopLevelWindow> windows;
    std::unordered_set<HWND> seen;
    // FindWindow without class and title gives the topmost top-level window; GW_HWNDNEXT
    // goes down the z-order from there.
    for (HWND window = FindWindowW(nullptr, nullptr); window != nullptr && seen.size() < MaxWalk;
         window = GetWindow(window, GW_HWNDNEXT)) {
        if (!seen.insert(window).second) {
            break;
        }
        if (!IsWindowVisible(window)) {
            continue;
        }
        windows.push_back({toHandle(window), titleOf(window)});
    }
    return windows;
}

void Win32WindowSystem::activate(WindowHandle handle) {
    HWND window = existingWindow(handle);
    if (IsIconic(window)) {
        ShowWindow(window, SW_RESTORE);
    }
    DWORD error = 0;
    if (setForeground(window, error)) {
        return;
    }

    // The foreground lock: only the process that owns the foreground (or received the
    // last input) may hand it on. Sharing the foreground thread's input state lets this
    // thread act as if it were that thread.
    const DWORD self = GetCurrentThreadId();
    HWND foreground = GetForegroundWindow();
    const DWORD foregroundThread =
        foreground != nullptr ? GetWindowThreadProcessId(foreground, nullptr) : 0;
    const bool attached = foregroundThread != 0 && foregroundThread != self &&
                          AttachThreadInput(self, foregroundThread, TRUE);
    BringWindowToTop(window);
    bool done = setForeground(window, error);
    if (attached) {
        AttachThreadInput(self, foregroundThread, FALSE);
    }
    if (!done) {
        tapAlt();
        done = setForeground(window, error);
    }
    if (done) {
        return;
    }
    if (!IsWindow(window)) {
        throw win32::systemError(ERROR_INVALID_WINDOW_HANDLE);
    }
    if (error != 0) {
        throw win32::systemError(error);
    }
    throw PlatformError(errors::PermissionDenied, "Windows did not let the window \"" +
                                                      titleOf(window) + "\" come to the front");
}

ScreenRect Win32WindowSystem::windowRect(WindowHandle handle) {
    HWND window = existingWindow(handle);
    RECT rect{};
    if (!GetWindowRect(window, &rect)) {
        throw win32::systemError(GetLastError());
    }
    return {static_cast<int>(rect.left), static_cast<int>(rect.top), static_cast<int>(rect.right),
            static_cast<int>(rect.bottom)};
}

}  // namespace keyrelay
