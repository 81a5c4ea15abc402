#pragma once

#include <cstdint>

namespace keyrelay {

// Keys that the keystroke notation names in braces ("{ENTER}", "{F5}", ...).
enum class NamedKey : std::uint8_t {
    Backspace,
    Break,
    CapsLock,
    Delete,
    Down,
    End,
    Enter,
    Escape,
    Help,
    Home,
    Insert,
    Left,
    NumLock,
    PageDown,
    PageUp,
    PrintScreen,
    Right,
    ScrollLock,
    Tab,
    Up,
    F1,
    F2,
    F3,
    F4,
    F5,
    F6,
    F7,
    F8,
    F9,
    F10,
    F11,
    F12,
    F13,
    F14,
    F15,
    F16,
};

// Modifier bits held down around one stroke.
enum Modifier : std::uint8_t {
    NoModifier = 0,
    ShiftModifier = 1,
    ControlModifier = 2,
    AltModifier = 4,
};

// One key press and release as the notation asks for it: either a character
// (typed with whatever level the keyboard needs for it, plus `modifiers`) or a
// named key. Repeats are already expanded by the parser.
struct KeyStroke {
    bool isNamedKey = false;
    char32_t character = 0;  // when !isNamedKey: a Unicode code point
    NamedKey key = NamedKey::Enter;
    std::uint8_t modifiers = NoModifier;

    static KeyStroke ofChar(char32_t c, std::uint8_t mods = NoModifier) {
        KeyStroke s;
        s.character = c;
        s.modifiers = mods;
        return s;
    }
    static KeyStroke ofKey(NamedKey k, std::uint8_t mods = NoModifier) {
        KeyStroke s;
        s.isNamedKey = true;
        s.key = k;
        s.modifiers = mods;
        return s;
    }
    bool operator==(const KeyStroke&) const = default;
};

}  // namespace keyrelay
