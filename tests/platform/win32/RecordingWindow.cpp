#include "RecordingWindow.h"

#include <cstdint>
#include <cstdio>
#include <map>

namespace keyrelay::test {

namespace {

constexpr wchar_t ClassName[] = L"KeyrelayRecordingWindow";

std::string keyName(WPARAM vk) {
    if ((vk >= '0' && vk <= '9') || (vk >= 'A' && vk <= 'Z')) {
        return std::string(1, static_cast<char>(vk));
    }
    if (vk >= VK_F1 && vk <= VK_F24) {
        return "F" + std::to_string(vk - VK_F1 + 1);
    }
    static const std::map<WPARAM, std::string> names = {
        {VK_BACK, "BACK"},         {VK_CANCEL, "CANCEL"}, {VK_CAPITAL, "CAPITAL"},
        {VK_DELETE, "DELETE"},     {VK_DOWN, "DOWN"},     {VK_END, "END"},
        {VK_RETURN, "RETURN"},     {VK_ESCAPE, "ESCAPE"}, {VK_HELP, "HELP"},
        {VK_HOME, "HOME"},         {VK_INSERT, "INSERT"}, {VK_LEFT, "LEFT"},
        {VK_NUMLOCK, "NUMLOCK"},   {VK_NEXT, "NEXT"},     {VK_PRIOR, "PRIOR"},
        {VK_SNAPSHOT, "SNAPSHOT"}, {VK_RIGHT, "RIGHT"},   {VK_SCROLL, "SCROLL"},
        {VK_TAB, "TAB"},           {VK_UP, "UP"},         {VK_PACKET, "PACKET"},
        {VK_SPACE, "SPACE"},       {VK_OEM_4, "OEM_4"},   {VK_OEM_6, "OEM_6"},
    };
    const auto it = names.find(vk);
    if (it != names.end()) {
        return it->second;
    }
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "VK_%02X", static_cast<unsigned>(vk));
    return buffer;
}

std::string modifierName(WPARAM vk) {
    switch (vk) {
        case VK_SHIFT:
            return "Shift";
        case VK_CONTROL:
            return "Ctrl";
        case VK_MENU:
            return "Alt";
        default:
            return {};
    }
}

std::string heldModifiers() {
    std::string held;
    if (GetKeyState(VK_SHIFT) < 0) {
        held += '+';
    }
    if (GetKeyState(VK_CONTROL) < 0) {
        held += '^';
    }
    if (GetKeyState(VK_MENU) < 0) {
        held += '%';
    }
    return held;
}

LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* window = reinterpret_cast<RecordingWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (window != nullptr && window->hwnd() == hwnd) {
        return window->handle(message, wParam, lParam);
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

void registerClass() {
    static const bool registered = [] {
        WNDCLASSEXW c{};
        c.cbSize = sizeof c;
        c.lpfnWndProc = windowProc;
        c.hInstance = GetModuleHandleW(nullptr);
        c.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        c.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        c.lpszClassName = ClassName;
        return RegisterClassExW(&c) != 0;
    }();
    (void)registered;
}

}  // namespace

RecordingWindow::RecordingWindow(const std::wstring& title, bool visible) {
    registerClass();
    hwnd_ = CreateWindowExW(0, ClassName, title.c_str(), WS_OVERLAPPEDWINDOW, 100, 100, 420, 300,
                            nullptr, nullptr, GetModuleHandleW(nullptr), this);
    if (hwnd_ != nullptr && visible) {
        ShowWindow(hwnd_, SW_SHOWNORMAL);
        UpdateWindow(hwnd_);
    }
    pumpUntil([] { return true; });
}

RecordingWindow::~RecordingWindow() {
    if (hwnd_ != nullptr) {
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }
}

WindowHandle RecordingWindow::handle() const {
    return static_cast<WindowHandle>(reinterpret_cast<std::uintptr_t>(hwnd_));
}

void RecordingWindow::clear() {
    keys.clear();
    text.clear();
    clicks.clear();
    releases = 0;
    endMarkSeen = false;
    pendingUnits_.clear();
}

LRESULT RecordingWindow::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN: {
            if (wParam == VK_F24) {
                endMarkSeen = true;
            } else if (const std::string name = modifierName(wParam); !name.empty()) {
                // A held key repeats its press; only the first one counts.
                if ((lParam & (1 << 30)) == 0) {
                    keys.push_back("[" + name);
                }
            } else {
                keys.push_back(heldModifiers() + keyName(wParam));
            }
            return 0;
        }
        case WM_KEYUP:
        case WM_SYSKEYUP:
            if (const std::string name = modifierName(wParam); !name.empty()) {
                keys.push_back("]" + name);
            }
            return 0;
        case WM_CHAR:
        case WM_SYSCHAR: {
            const auto unit = static_cast<wchar_t>(wParam);
            if (unit >= 0xD800 && unit <= 0xDBFF) {
                pendingUnits_ = std::wstring(1, unit);
            } else {
                pendingUnits_ += unit;
                text += utf8(pendingUnits_);
                pendingUnits_.clear();
            }
            return 0;
        }
        case WM_SYSCOMMAND:
            // Alt alone or Alt with a letter would open the (missing) menu and swallow
            // the keys that follow.
            if ((wParam & 0xFFF0) == SC_KEYMENU) {
                return 0;
            }
            break;
        case WM_LBUTTONDOWN:
            clicks.push_back(
                POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
            return 0;
        case WM_LBUTTONUP:
            ++releases;
            return 0;
        default:
            break;
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

bool pumpUntil(const std::function<bool()>& done) {
    const ULONGLONG limit = GetTickCount64() + 10000;
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (done()) {
            return true;
        }
        if (GetTickCount64() >= limit) {
            return false;
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
}

bool waitForEndMark(RecordingWindow& window) {
    INPUT inputs[2] = {};
    inputs[0].type = INPUT_KEYBOARD;
    inputs[0].ki.wVk = VK_F24;
    inputs[1] = inputs[0];
    inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, inputs, sizeof(INPUT));
    const bool seen = pumpUntil([&] { return window.endMarkSeen; });
    window.endMarkSeen = false;
    return seen;
}

bool pollUntil(const std::function<bool()>& done) {
    const ULONGLONG limit = GetTickCount64() + 20000;
    for (;;) {
        if (done()) {
            return true;
        }
        if (GetTickCount64() >= limit) {
            return false;
        }
        pumpUntil([] { return true; });
        Sleep(20);
    }
}

std::string utf8(const std::wstring& wideText) {
    if (wideText.empty()) {
        return {};
    }
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, wideText.data(), static_cast<int>(wideText.size()), nullptr,
                            0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wideText.data(), static_cast<int>(wideText.size()), out.data(),
                        length, nullptr, nullptr);
    return out;
}

std::wstring wide(const std::string& utf8Text) {
    if (utf8Text.empty()) {
        return {};
    }
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8Text.data(),
                                           static_cast<int>(utf8Text.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8Text.data(), static_cast<int>(utf8Text.size()), out.data(),
                        length);
    return out;
}

}  // namespace keyrelay::test
