#pragma once

#include "platform/KeyInjector.h"

namespace keyrelay {

// The alternate typing path: the Windows Script Host shell object ("WScript.Shell"),
// made anew for every string, types the string with its SendKeys method without waiting
// for the target, and is released again.
//
// The string is checked against the notation first, so a malformed one types nothing
// (PlatformError(errors::InvalidArgument)). Throws PlatformError with the HRESULT
// (negative, as COM reports it) when the object cannot be made or SendKeys fails.
class ScriptHostKeyInjector : public KeyInjector {
public:
    void sendKeys(const std::string& keys) override;
};

}  // namespace keyrelay
