#include "platform/x11/XTestKeyInjector.h"

#include <X11/XKBlib.h>
#include <X11/extensions/XTest.h>

#include "platform/x11/X11Keymap.h"

namespace keyrelay {

XTestKeyInjector::XTestKeyInjector(std::shared_ptr<X11Display> display)
    : X11KeyInjector(std::move(display)) {}

X11KeyInjector::RunState XTestKeyInjector::beginRun(const std::vector<KeyStroke>& strokes) {
    Display* dpy = display().get();
    userHeld_.clear();
    char down[32];
    XQueryKeymap(dpy, down);
    for (int kc = 8; kc < 256; ++kc) {
        if ((down[kc / 8] >> (kc % 8)) & 1) {
            KeySym sym = XkbKeycodeToKeysym(dpy, static_cast<KeyCode>(kc), 0, 0);
            if (X11Keymap::isHeldModifier(sym)) {
                XTestFakeKeyEvent(dpy, static_cast<unsigned>(kc), False, CurrentTime);
                userHeld_.push_back(static_cast<KeyCode>(kc));
            }
        }
    }
    XkbLatchModifiers(dpy, XkbUseCoreKbd, 0xff, 0);
    // The server handles the requests in order, so the state read now is the state
    // after the releases.
    XkbStateRec state = {};
    XkbGetState(dpy, XkbUseCoreKbd, &state);
    capsWasLocked_ = (state.locked_mods & LockMask) != 0;
    if (capsWasLocked_) {
        XkbLockModifiers(dpy, XkbUseCoreKbd, LockMask, 0);
    }
    capsToggled_ = false;
    for (const KeyStroke& stroke : strokes) {
        if (stroke.isNamedKey && stroke.key == NamedKey::CapsLock) {
            capsToggled_ = !capsToggled_;
        }
    }
    return {static_cast<unsigned>(state.locked_mods) & ~LockMask, state.group};
}

void XTestKeyInjector::emit(KeyCode keycode, bool press, unsigned) {
    XTestFakeKeyEvent(display().get(), keycode, press ? True : False, CurrentTime);
}

void XTestKeyInjector::endRun() {
    Display* dpy = display().get();
    if (capsWasLocked_) {
        // Locked as before, unless the string pressed CapsLock an odd number of times.
        XkbLockModifiers(dpy, XkbUseCoreKbd, LockMask, capsToggled_ ? 0 : LockMask);
    }
    for (KeyCode kc : userHeld_) {
        XTestFakeKeyEvent(dpy, kc, True, CurrentTime);
    }
    userHeld_.clear();
    XFlush(dpy);
}

}  // namespace keyrelay
