#pragma once

#include <memory>

#include "platform/x11/X11KeyInjector.h"

namespace keyrelay {

// The alternate path: synthetic KeyPress and KeyRelease events sent (XSendEvent) to
// the window that has the keyboard focus. Each event carries its own modifier state, so
// the keyboard's real state (held keys, CapsLock) does not enter. Programs may refuse
// synthetic events (xterm does unless allowSendEvents is set).
//
// Throws PlatformError(errors::InvalidArgument, ...) when no window has the focus.
class SendEventKeyInjector : public X11KeyInjector {
public:
    explicit SendEventKeyInjector(std::shared_ptr<X11Display> display);

protected:
    RunState beginRun(const std::vector<KeyStroke>& strokes) override;
    void emit(KeyCode keycode, bool press, unsigned state) override;
    void endRun() override;

private:
    ::Window target_ = None;
};

}  // namespace keyrelay
