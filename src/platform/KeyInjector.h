#pragma once

#include <string>

namespace keyrelay {

// Types keystroke strings into the window that has the keyboard focus.
// The program has two of these, the standard path and the alternate path; both
// accept the same notation (see KeyNotation).
class KeyInjector {
public:
    virtual ~KeyInjector() = default;

    // Types `keys` (keystroke notation, UTF-8) and returns without waiting for the
    // target to process them. Throws PlatformError(errors::InvalidArgument, ...) on a
    // malformed string, before anything is typed, and PlatformError with the
    // system's number when the injection is refused.
    virtual void sendKeys(const std::string& keys) = 0;
};

}  // namespace keyrelay
