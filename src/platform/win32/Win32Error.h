#pragma once

#include <string>

#include "platform/PlatformError.h"

namespace keyrelay::win32 {

// The system's description of an error number (a GetLastError code or an HRESULT),
// without the trailing line end; "Unknown error <number>" when the system has none.
std::string systemMessage(long number);

// PlatformError carrying a GetLastError code and its description.
PlatformError systemError(unsigned long code);

// PlatformError carrying an HRESULT (negative for failures, as COM callers quote it) and
// its description; `context` says what was being done and goes in front of it.
PlatformError comError(long hresult, const std::string& context);

}  // namespace keyrelay::win32
