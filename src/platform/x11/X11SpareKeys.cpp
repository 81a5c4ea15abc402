#include "platform/x11/X11SpareKeys.h"

#include "platform/PlatformError.h"
#include "platform/x11/X11ErrorTrap.h"

namespace keyrelay {

X11SpareKeys::X11SpareKeys(Display* display, const std::vector<KeySym>& keysyms,
                           const std::vector<KeyCode>& spares)
    : display_(display) {
    if (keysyms.empty()) {
        restored_ = true;
        return;
    }
    if (keysyms.size() > spares.size()) {
        throw PlatformError(errors::DeviceUnavailable,
                            "The keyboard map has no free key for the characters it lacks");
    }
    // The first spares as given, lowest first: programs that map keycodes to keys of
    // their own (Wine) serve the lowest keycodes first. The change rewrites every key
    // between the first and the last one (the keys in between unchanged).
    std::size_t n = keysyms.size();
    constexpr unsigned parts = XkbKeyTypesMask | XkbKeySymsMask;
    original_ = XkbGetMap(display_, parts, XkbUseCoreKbd);
    XkbDescPtr changed = XkbGetMap(display_, parts, XkbUseCoreKbd);
    if (original_ == nullptr || changed == nullptr) {
        if (changed != nullptr) {
            XkbFreeKeyboard(changed, 0, True);
        }
        restored_ = true;
        throw PlatformError(errors::DeviceUnavailable, "Cannot read the keyboard map");
    }
    for (std::size_t i = 0; i < n; ++i) {
        KeyCode kc = spares[i];
        KeySym* syms = XkbResizeKeySyms(changed, kc, 1);
        syms[0] = keysyms[i];
        XkbSymMapRec& map = changed->map->key_sym_map[kc];
        // One level: the key types its symbol whatever modifiers are down.
        map.kt_index[0] = XkbOneLevelIndex;
        map.group_info = XkbSetGroupInfo(1, XkbWrapIntoRange, 0);
        map.width = 1;
        bound_[keysyms[i]] = kc;
    }
    range_.changed = XkbKeySymsMask;
    range_.first_key_sym = spares[0];
    range_.num_key_syms = static_cast<unsigned char>(spares[n - 1] - spares[0] + 1);
    X11ErrorTrap trap(display_);
    bool sent = XkbChangeMap(display_, changed, &range_);
    XkbFreeKeyboard(changed, 0, True);
    try {
        trap.check("Cannot bind the characters the keyboard map lacks");
    } catch (...) {
        restored_ = true;  // nothing changed
        throw;
    }
    if (!sent) {
        restored_ = true;
        throw PlatformError(errors::DeviceUnavailable,
                            "Cannot bind the characters the keyboard map lacks");
    }
}

X11SpareKeys::~X11SpareKeys() {
    try {
        restore();
    } catch (...) {
        // Nothing more can be done; the spare keys stay bound.
    }
    if (original_ != nullptr) {
        XkbFreeKeyboard(original_, 0, True);
    }
}

void X11SpareKeys::restore() {
    if (restored_) {
        return;
    }
    restored_ = true;
    X11ErrorTrap trap(display_);
    XkbChangeMap(display_, original_, &range_);
    trap.check("Cannot restore the keyboard map");
}

}  // namespace keyrelay
