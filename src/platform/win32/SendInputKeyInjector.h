#pragma once

#include "platform/KeyInjector.h"

namespace keyrelay {

// The standard typing path: the parsed notation as one batch of SendInput events, so the
// user's own typing cannot fall between its keys.
//
// Named keys become their virtual keys. A character that the keyboard layout of the
// foreground window has becomes that layout's key with the Shift, Ctrl and Alt levels it
// needs (CapsLock taken into account for letters); a character the layout lacks, or has
// only on a dead key, is typed as a Unicode character event. Modifiers from the notation are
// pressed before their key or group and released after it, and everything is released at the end.
//
// Throws PlatformError(errors::InvalidArgument) for a malformed string before typing
// anything, and PlatformError with the system's number when Windows takes fewer events
// than sent (held modifiers are then released so none stays down).
class SendInputKeyInjector : public KeyInjector {
public:
    void sendKeys(const std::string& keys) override;
};

}  // namespace keyrelay
