#include "platform/win32/Win32Error.h"

#include <windows.h>

#include "platform/win32/Win32Text.h"

namespace keyrelay::win32 {

std::string systemMessage(long number) {
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(number), MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
        reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text;
    if (length > 0 && buffer != nullptr) {
        text.assign(buffer, length);
    }
    LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) {
        text.pop_back();
    }
    if (text.empty()) {
        return "Unknown error " + std::to_string(number);
    }
    return toUtf8(text);
}

PlatformError systemError(unsigned long code) {
    return PlatformError(static_cast<long>(code), systemMessage(static_cast<long>(code)));
}

PlatformError comError(long hresult, const std::string& context) {
    return PlatformError(hresult, context + ": " + systemMessage(hresult));
}

}  // namespace keyrelay::win32
