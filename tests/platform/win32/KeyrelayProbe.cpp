// A program for the process tests to start. It writes what it was started with into
// "probe-out.txt" in its working folder, as one line of fields separated by "|": the
// working folder, the window state it was asked for (STARTUPINFO wShowWindow, -1 when
// none), then its arguments, the program name first. Then it runs until a file
// "probe-stop" appears there (at most a minute), so that the test finds it in the
// process list.
#include <windows.h>
// after windows.h, which it needs
#include <shellapi.h>

#include <fstream>
#include <string>

int main() {
    wchar_t folder[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, folder);
    STARTUPINFOW startup{};
    GetStartupInfoW(&startup);
    const int state = (startup.dwFlags & STARTF_USESHOWWINDOW) != 0 ? startup.wShowWindow : -1;
    std::wstring report = folder + (L"|" + std::to_wstring(state));
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    for (int i = 0; i < count; ++i) {
        report += L"|" + std::wstring(arguments[i]);
    }
    LocalFree(arguments);
    std::string utf8(static_cast<std::size_t>(report.size() * 3), '\0');
    utf8.resize(static_cast<std::size_t>(
        WideCharToMultiByte(CP_UTF8, 0, report.data(), static_cast<int>(report.size()), utf8.data(),
                            static_cast<int>(utf8.size()), nullptr, nullptr)));
    // Written under another name first, so the test never reads half a file.
    const bool written =
        static_cast<bool>(std::ofstream("probe-out.tmp", std::ios::binary) << utf8);
    if (!written || !MoveFileExW(L"probe-out.tmp", L"probe-out.txt", MOVEFILE_REPLACE_EXISTING)) {
        return 1;
    }
    for (int i = 0; i < 3000; ++i) {
        if (GetFileAttributesW(L"probe-stop") != INVALID_FILE_ATTRIBUTES) {
            return 0;
        }
        Sleep(20);
    }
    return 2;
}
