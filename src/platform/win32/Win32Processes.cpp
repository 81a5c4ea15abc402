#include "platform/win32/Win32Processes.h"

#include <windows.h>
// after windows.h, which it needs
#include <psapi.h>

#include "platform/win32/Win32Error.h"
#include "platform/win32/Win32Text.h"

namespace keyrelay {

namespace {

constexpr DWORD MaxProcesses = 1024;
constexpr DWORD MaxModules = 1024;
constexpr DWORD MaxName = 260;

std::string firstModuleName(DWORD id) {
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id);
    if (process == nullptr) {
        return {};
    }
    std::string name;
    std::vector<HMODULE> modules(MaxModules);
    DWORD needed = 0;
    if (EnumProcessModules(process, modules.data(),
                           static_cast<DWORD>(modules.size() * sizeof(HMODULE)), &needed) &&
        needed >= sizeof(HMODULE)) {
        wchar_t buffer[MaxName] = {};
        const DWORD length = GetModuleBaseNameW(process, modules[0], buffer, MaxName);
        name = win32::toUtf8(std::wstring_view(buffer, length));
    }
    CloseHandle(process);
    // The name ends at its first NUL.
    return name.substr(0, name.find('\0'));
}

// The path of `file` when it is found in `folder`, else empty.
std::wstring findInFolder(const std::wstring& folder, const std::wstring& file) {
    if (folder.empty() || file.empty()) {
        return {};
    }
    wchar_t path[MAX_PATH] = {};
    const DWORD length =
        SearchPathW(folder.c_str(), file.c_str(), L".exe", MAX_PATH, path, nullptr);
    if (length == 0 || length >= MAX_PATH) {
        return {};
    }
    return std::wstring(path, length);
}

}  // namespace

std::vector<std::string> Win32Processes::runningModuleNames() {
    std::vector<DWORD> ids(MaxProcesses);
    DWORD bytes = 0;
    if (!EnumProcesses(ids.data(), static_cast<DWORD>(ids.size() * sizeof(DWORD)), &bytes)) {
        return {};
    }
    ids.resize(bytes / sizeof(DWORD));

    std::vector<std::string> names;
    for (DWORD id : ids) {
        std::string name = firstModuleName(id);
        if (!name.empty()) {
            names.push_back(std::move(name));
        }
    }
    return names;
}

void Win32Processes::start(const std::string& folder, const std::string& file,
                           const std::string& parameters, WindowState state) {
    const std::wstring wideFolder = win32::toWide(folder);
    const std::wstring wideFile = win32::toWide(file);

    // Starting from inside the folder: the program is looked for there first.
    const std::wstring program = findInFolder(wideFolder, wideFile);

    std::wstring commandLine = wideFile;
    if (wideFile.find(L' ') != std::wstring::npos && wideFile.front() != L'"') {
        commandLine = L"\"" + wideFile + L"\"";
    }
    if (!parameters.empty()) {
        commandLine += L" " + win32::toWide(parameters);
    }
    // CreateProcessW may write into the command line.
    std::vector<wchar_t> commandBuffer(commandLine.begin(), commandLine.end());
    commandBuffer.push_back(L'\0');

    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow =
        static_cast<WORD>(state == WindowState::Minimized ? SW_SHOWMINIMIZED : SW_SHOWNORMAL);
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(program.empty() ? nullptr : program.c_str(), commandBuffer.data(), nullptr,
                        nullptr, FALSE, 0, nullptr,
                        wideFolder.empty() ? nullptr : wideFolder.c_str(), &startup, &started)) {
        throw win32::systemError(GetLastError());
    }
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
}

}  // namespace keyrelay
