#pragma once

#include <memory>
#include <vector>

#include "platform/x11/X11KeyInjector.h"

namespace keyrelay {

// The standard path: key events injected through the XTest extension, as if typed on
// the keyboard; they reach whichever window has the focus.
//
// For the run the keyboard is made neutral and then put back: modifier keys the user
// holds are released and pressed again afterwards, a locked CapsLock is unlocked and
// locked again (a "{CAPSLOCK}" in the string toggles what is put back), latched
// modifiers are cleared.
class XTestKeyInjector : public X11KeyInjector {
public:
    explicit XTestKeyInjector(std::shared_ptr<X11Display> display);

protected:
    RunState beginRun(const std::vector<KeyStroke>& strokes) override;
    void emit(KeyCode keycode, bool press, unsigned state) override;
    void endRun() override;

private:
    std::vector<KeyCode> userHeld_;
    bool capsWasLocked_ = false;
    bool capsToggled_ = false;
};

}  // namespace keyrelay
