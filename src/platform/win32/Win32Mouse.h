#pragma once

#include "platform/Mouse.h"

namespace keyrelay {

// The cursor through SetCursorPos, the left button through SendInput. Coordinates are
// screen pixels as GetWindowRect reports them. Each call throws PlatformError with the
// system's number when Windows refuses.
class Win32Mouse : public Mouse {
public:
    void moveTo(int x, int y) override;
    void leftDown() override;
    void leftUp() override;
};

}  // namespace keyrelay
