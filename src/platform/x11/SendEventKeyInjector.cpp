#include "platform/x11/SendEventKeyInjector.h"

#include <X11/XKBlib.h>

#include "platform/PlatformError.h"

namespace keyrelay {

SendEventKeyInjector::SendEventKeyInjector(std::shared_ptr<X11Display> display)
    : X11KeyInjector(std::move(display)) {}

X11KeyInjector::RunState SendEventKeyInjector::beginRun(const std::vector<KeyStroke>&) {
    Display* dpy = display().get();
    int revert = 0;
    target_ = None;
    XGetInputFocus(dpy, &target_, &revert);
    if (target_ == None || target_ == PointerRoot) {
        throw PlatformError(errors::InvalidArgument, "No window has the keyboard focus");
    }
    XkbStateRec state = {};
    XkbGetState(dpy, XkbUseCoreKbd, &state);
    return {0, state.group};
}

void SendEventKeyInjector::emit(KeyCode keycode, bool press, unsigned state) {
    Display* dpy = display().get();
    XEvent event = {};
    XKeyEvent& key = event.xkey;
    key.type = press ? KeyPress : KeyRelease;
    key.display = dpy;
    key.window = target_;
    key.root = display().root();
    key.subwindow = None;
    key.time = CurrentTime;
    key.x = key.y = key.x_root = key.y_root = 1;
    key.state = state;
    key.keycode = keycode;
    key.same_screen = True;
    XSendEvent(dpy, target_, True, press ? KeyPressMask : KeyReleaseMask, &event);
}

void SendEventKeyInjector::endRun() {
    XFlush(display().get());
}

}  // namespace keyrelay
