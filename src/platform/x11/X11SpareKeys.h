#pragma once

#include <X11/XKBlib.h>
#include <X11/Xlib.h>

#include <unordered_map>
#include <vector>

namespace keyrelay {

// Binds keysyms that the keyboard map lacks to spare keycodes for the time of one
// typing run, and puts the map back afterwards.
//
// Every keymap change makes every client re-read the map (and some window managers
// re-grab their key bindings), and a client that reads the map after it changed again
// misreads the keys it has not handled yet. So all the keysyms of a run are bound in
// ONE change, and the map is restored in one change after the keys have been handled.
class X11SpareKeys {
public:
    // Binds keysyms[i] to spares[i] (`spares` lowest first, as X11Keymap gives them). At
    // most `spares.size()` keysyms. Throws PlatformError when the server refuses the change.
    X11SpareKeys(Display* display, const std::vector<KeySym>& keysyms,
                 const std::vector<KeyCode>& spares);
    // Restores the map if restore() has not run.
    ~X11SpareKeys();
    X11SpareKeys(const X11SpareKeys&) = delete;
    X11SpareKeys& operator=(const X11SpareKeys&) = delete;

    KeyCode keycodeOf(KeySym keysym) const { return bound_.at(keysym); }

    // Puts the keys back as they were, in one change. Throws PlatformError when the
    // server refuses.
    void restore();

private:
    Display* display_;
    XkbDescPtr original_ = nullptr;
    XkbMapChangesRec range_ = {};
    std::unordered_map<KeySym, KeyCode> bound_;
    bool restored_ = false;
};

}  // namespace keyrelay
