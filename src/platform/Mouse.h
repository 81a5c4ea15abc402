#pragma once

namespace keyrelay {

// The mouse pointer, in screen pixels.
class Mouse {
public:
    virtual ~Mouse() = default;

    // Each throws PlatformError when the system refuses the injection.
    virtual void moveTo(int x, int y) = 0;
    virtual void leftDown() = 0;
    virtual void leftUp() = 0;
};

}  // namespace keyrelay
