// keyrelay_wintarget: a plain Windows window to type into, which writes down everything it
// receives. Keyrelay's Wine tests and its typing benchmark type into it; a user can start it
// (under Wine or on Windows) to see exactly what Keyrelay, or anything else, types into a
// Windows program on their setup, without risking a real decoder's settings.
//
//   keyrelay_wintarget.exe [log file [window title]]      (title "Keyrelay Target")
//
// The window has a multi-line text box and a menu "Control" whose item "Tune..." (Alt+C,
// then T, as a decoder's frequency box) opens a dialog with one edit box; Enter closes it.
// The log gets one UTF-8 line per event, written through at once:
//   ready                                          the window is shown
//   key down VK=0x41 shift=1 ctrl=0 alt=0          key up ... (WM_SYSKEY* included)
//   char U+0041 A                                  WM_CHAR, surrogate pairs joined;
//   syschar U+0063 c                               no glyph after control characters
//   dialog open / dialog text 14025.0 / dialog closed
#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <string>

#include "resource.h"

namespace {

HANDLE logFile = INVALID_HANDLE_VALUE;
HWND textBox = nullptr;
wchar_t highSurrogate = 0;

void writeLog(const std::wstring& line) {
    if (logFile == INVALID_HANDLE_VALUE) {
        return;
    }
    const std::wstring text = line + L"\n";
    std::string utf8(text.size() * 3, '\0');
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf8.data(),
                            static_cast<int>(utf8.size()), nullptr, nullptr);
    DWORD written = 0;
    WriteFile(logFile, utf8.data(), static_cast<DWORD>(size), &written, nullptr);
}

void logKey(const MSG& msg) {
    const bool down = msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN;
    wchar_t line[80];
    swprintf(line, 80, L"key %ls VK=0x%02X shift=%d ctrl=%d alt=%d", down ? L"down" : L"up",
             static_cast<unsigned>(msg.wParam), GetKeyState(VK_SHIFT) < 0 ? 1 : 0,
             GetKeyState(VK_CONTROL) < 0 ? 1 : 0, GetKeyState(VK_MENU) < 0 ? 1 : 0);
    writeLog(line);
}

void logChar(const MSG& msg) {
    const auto unit = static_cast<wchar_t>(msg.wParam);
    if (IS_HIGH_SURROGATE(unit)) {  // the low half follows in the next message
        highSurrogate = unit;
        return;
    }
    std::wstring glyph(1, unit);
    unsigned codePoint = unit;
    if (IS_LOW_SURROGATE(unit) && highSurrogate != 0) {
        glyph.insert(glyph.begin(), highSurrogate);
        codePoint = 0x10000 + ((highSurrogate - 0xD800u) << 10) + (unit - 0xDC00u);
    }
    highSurrogate = 0;
    wchar_t line[40];
    swprintf(line, 40, L"%ls U+%04X", msg.message == WM_SYSCHAR ? L"syschar" : L"char", codePoint);
    writeLog(codePoint < 0x20 || codePoint == 0x7F ? line : std::wstring(line) + L" " + glyph);
}

// Sees every message taken from the thread's queue, by the main loop as by the menu's and
// the dialog's own loops, before it is handled. Key messages without a repeat count are
// not typed but posted by the system itself (Wine's menu posts an Enter to open a popup).
LRESULT CALLBACK onGetMessage(int code, WPARAM removal, LPARAM lParam) {
    const MSG& msg = *reinterpret_cast<const MSG*>(lParam);
    if (code == HC_ACTION && removal == PM_REMOVE && msg.lParam != 0) {
        switch (msg.message) {
            case WM_KEYDOWN:
            case WM_KEYUP:
            case WM_SYSKEYDOWN:
            case WM_SYSKEYUP:
                logKey(msg);
                break;
            case WM_CHAR:
            case WM_SYSCHAR:
                logChar(msg);
                break;
        }
    }
    return CallNextHookEx(nullptr, code, removal, lParam);
}

INT_PTR CALLBACK tuneDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) {
        writeLog(L"dialog open");
        return TRUE;  // the focus goes to the frequency box
    }
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        if (LOWORD(wParam) == IDOK) {
            wchar_t text[256] = L"";
            GetDlgItemTextW(dialog, IDC_FREQUENCY, text, 256);
            writeLog(std::wstring(L"dialog text ") + text);
        }
        EndDialog(dialog, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

LRESULT CALLBACK mainWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            textBox = CreateWindowExW(
                WS_EX_CLIENTEDGE, L"EDIT", L"",
                WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN,
                0, 0, 0, 0, window, nullptr, nullptr, nullptr);
            SendMessageW(textBox, EM_SETLIMITTEXT, 0, 0);  // no 32 K limit for long runs
            return 0;
        case WM_SIZE:
            MoveWindow(textBox, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
            return 0;
        case WM_SETFOCUS:
            SetFocus(textBox);
            return 0;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDM_TUNE) {
                DialogBoxW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_TUNE), window,
                           tuneDialog);
                writeLog(L"dialog closed");
                return 0;
            }
            break;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc > 1) {
        logFile = CreateFileW(argv[1], GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    const std::wstring title = argc > 2 ? argv[2] : L"Keyrelay Target";
    LocalFree(argv);

    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = mainWindow;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = L"KeyrelayTarget";
    RegisterClassW(&windowClass);
    HWND window =
        CreateWindowExW(0, windowClass.lpszClassName, title.c_str(), WS_OVERLAPPEDWINDOW,
                        CW_USEDEFAULT, CW_USEDEFAULT, 520, 320, nullptr,
                        LoadMenuW(instance, MAKEINTRESOURCEW(IDM_MAIN)), instance, nullptr);
    SetWindowsHookExW(WH_GETMESSAGE, onGetMessage, nullptr, GetCurrentThreadId());
    ShowWindow(window, show);  // minimised when started so, as a launcher does
    writeLog(L"ready");

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
