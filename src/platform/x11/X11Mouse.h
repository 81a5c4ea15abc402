#pragma once

#include <memory>

#include "platform/Mouse.h"
#include "platform/x11/X11Display.h"

namespace keyrelay {

// The pointer through XTest, in pixels of the default screen. Each call waits until the
// server has handled the event, so a click right after a move lands at the new point.
// Throws PlatformError with the X error code when the server refuses.
class X11Mouse : public Mouse {
public:
    explicit X11Mouse(std::shared_ptr<X11Display> display);

    void moveTo(int x, int y) override;
    void leftDown() override;
    void leftUp() override;

private:
    std::shared_ptr<X11Display> display_;
};

}  // namespace keyrelay
