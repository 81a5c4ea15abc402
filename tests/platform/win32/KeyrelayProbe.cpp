// Started by the process tests. It writes one line into "probe-out.txt" in its working
// folder, fields separated by "|": the folder, the window state asked for (wShowWindow, -1
// when none) and its arguments, the program name first. Then it runs until "probe-stop"
// appears there (a minute at most), so that the test finds it in the process list.
#include <windows.h>
// after windows.h, which it needs
#include <shellapi.h>

#include <filesystem>
#include <fstream>
#include <string>

int main() {
    STARTUPINFOW startup{};
    GetStartupInfoW(&startup);
    const int state = (startup.dwFlags & STARTF_USESHOWWINDOW) != 0 ? startup.wShowWindow : -1;
    std::wstring report = std::filesystem::current_path().wstring() + L"|" + std::to_wstring(state);
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    for (int i = 0; i < count; ++i) {
        report += L"|" + std::wstring(arguments[i]);
    }
    // Written under another name first, so the test never reads half a file.
    const std::u8string utf8 = std::filesystem::path(report).u8string();
    std::ofstream("probe-out.tmp", std::ios::binary)
        .write(reinterpret_cast<const char*>(utf8.data()),
               static_cast<std::streamsize>(utf8.size()));
    MoveFileExW(L"probe-out.tmp", L"probe-out.txt", MOVEFILE_REPLACE_EXISTING);
    for (int i = 0; i < 3000 && GetFileAttributesW(L"probe-stop") == INVALID_FILE_ATTRIBUTES; ++i) {
        Sleep(20);
    }
}
