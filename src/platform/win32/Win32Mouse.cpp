#include "platform/win32/Win32Mouse.h"

#include <windows.h>

#include "platform/PlatformError.h"
#include "platform/win32/Win32Error.h"

namespace keyrelay {

namespace {

void sendButton(DWORD flag) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flag;
    SetLastError(0);
    if (SendInput(1, &input, sizeof(INPUT)) == 1) {
        return;
    }
    const DWORD error = GetLastError();
    if (error != 0) {
        throw win32::systemError(error);
    }
    throw PlatformError(errors::PermissionDenied, "Windows refused the mouse click");
}

}  // namespace

void Win32Mouse::moveTo(int x, int y) {
    if (!SetCursorPos(x, y)) {
        throw win32::systemError(GetLastError());
    }
}

void Win32Mouse::leftDown() {
    sendButton(MOUSEEVENTF_LEFTDOWN);
}

void Win32Mouse::leftUp() {
    sendButton(MOUSEEVENTF_LEFTUP);
}

}  // namespace keyrelay
