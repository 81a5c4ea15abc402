// A program for the process tests to start. It writes what it was started with into
// "probe-out.txt" in its working folder:
//   line 1: the working folder
//   line 2: the window state it was asked for (STARTUPINFO wShowWindow, -1 when none)
//   then one line per argument, the program name first
// and then keeps running until a file "probe-stop" appears there (at most a minute), so
// the test can find it in the process list.
#include <windows.h>
// after windows.h, which it needs
#include <shellapi.h>

#include <string>

namespace {

std::string utf8(const std::wstring& text) {
    if (text.empty()) {
        return {};
    }
    const int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                           nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), length,
                        nullptr, nullptr);
    return out;
}

bool writeFile(const wchar_t* name, const std::string& content) {
    HANDLE file =
        CreateFileW(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD written = 0;
    const bool ok =
        WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr) &&
        written == content.size();
    CloseHandle(file);
    return ok;
}

}  // namespace

int main() {
    wchar_t folder[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, folder);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    GetStartupInfoW(&startup);
    const int state = (startup.dwFlags & STARTF_USESHOWWINDOW) != 0 ? startup.wShowWindow : -1;

    std::string report = utf8(folder) + "\n" + std::to_string(state) + "\n";
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    for (int i = 0; i < count; ++i) {
        report += utf8(arguments[i]) + "\n";
    }
    LocalFree(arguments);

    // Written under another name first, so the test never reads half a file.
    if (!writeFile(L"probe-out.tmp", report) ||
        !MoveFileExW(L"probe-out.tmp", L"probe-out.txt", MOVEFILE_REPLACE_EXISTING)) {
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
