#pragma once

#include <X11/XKBlib.h>
#include <X11/Xlib.h>

#include <optional>
#include <unordered_map>
#include <vector>

#include "platform/KeyStroke.h"

namespace keyrelay {

// A key and the modifiers to hold so that it produces a wanted keysym.
struct X11Key {
    KeyCode keycode = 0;
    unsigned modifiers = 0;  // real modifier mask (ShiftMask, Mod5Mask, ...)
};

// A snapshot of the keyboard map (XKB) at one keyboard group, answering which key and
// modifiers type a keysym, which keys press the modifiers, and which keycodes are
// spare (no symbols, no modifier) for characters the map lacks.
//
// Levels follow the keys' XKB types, so the answer holds for any layout: a keysym is
// looked up on the keys of the main (alphanumeric) block first, there in the unshifted
// level of every key, then the shifted level, then the AltGr levels; then likewise on
// the other keys (keypad, extra keys).
class X11Keymap {
public:
    // Reads the map of the core keyboard. `activeModifiers` are modifiers that stay in
    // effect while typing (locked ones such as NumLock) and `group` the effective
    // keyboard group. Throws PlatformError(errors::DeviceUnavailable, ...) when the map
    // cannot be read.
    X11Keymap(Display* display, unsigned activeModifiers, int group);
    ~X11Keymap();
    X11Keymap(const X11Keymap&) = delete;
    X11Keymap& operator=(const X11Keymap&) = delete;

    // The key that types `keysym` in the current group with modifiers we can press,
    // or nothing when the map lacks it.
    std::optional<X11Key> find(KeySym keysym) const;

    // The key that presses the real modifier `bit` (one of ShiftMask ... Mod5Mask), or
    // 0 when no key does.
    KeyCode modifierKey(unsigned bit) const;
    // The real modifier of the Alt key (usually Mod1Mask), 0 when there is none.
    unsigned altMask() const { return altMask_; }

    // Keycodes without symbols and modifiers, lowest first; only those of the classic
    // PC keyboard's range when it has any (see the definition).
    std::vector<KeyCode> spareKeycodes() const;

    // True for the keysyms of keys that change levels only while held (Shift_L,
    // Control_R, ISO_Level3_Shift, ...); lock keys are not among them.
    static bool isHeldModifier(KeySym keysym);

    // The keysym a character is typed as: Latin-1 directly, other code points as
    // Unicode keysyms; line ends and tab as Return and Tab. Nothing for control
    // characters that have no key.
    static std::optional<KeySym> keysymForCharacter(char32_t character);
    static KeySym keysymForKey(NamedKey key);

private:
    int groupOf(KeyCode keycode) const;
    int levelOf(const XkbKeyTypeRec& type, unsigned modifiers) const;
    std::optional<unsigned> modifiersForLevel(const XkbKeyTypeRec& type, int level) const;
    KeySym firstSymbol(KeyCode keycode) const;
    bool isMainBlockKey(KeyCode keycode) const;

    XkbDescPtr xkb_;
    unsigned activeModifiers_;
    int group_;
    KeyCode modifierKeys_[8] = {};
    unsigned pressable_ = 0;
    unsigned altMask_ = 0;
    std::unordered_map<KeySym, X11Key> index_;
};

}  // namespace keyrelay
