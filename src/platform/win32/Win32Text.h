#pragma once

#include <string>
#include <string_view>

namespace keyrelay::win32 {

// Conversions between the program's UTF-8 text and the UTF-16 text of the Windows wide
// (W) functions. Invalid UTF-8 becomes U+FFFD rather than failing: these carry titles,
// names and paths, never keystrokes (the notation parser rejects invalid UTF-8 first).
std::wstring toWide(std::string_view utf8);
std::string toUtf8(std::wstring_view wide);

}  // namespace keyrelay::win32
