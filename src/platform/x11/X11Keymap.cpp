#include "platform/x11/X11Keymap.h"

#include <X11/keysym.h>

#include <algorithm>
#include <bit>
#include <cstring>

#include "platform/PlatformError.h"

namespace keyrelay {

namespace {

// Keys that press a modifier, in order of preference for each modifier.
constexpr KeySym ModifierKeysyms[] = {
    XK_Shift_L, XK_Shift_R, XK_Control_L, XK_Control_R,        XK_Alt_L,
    XK_Alt_R,   XK_Meta_L,  XK_Meta_R,    XK_ISO_Level3_Shift,
};

constexpr KeySym HeldModifierKeysyms[] = {
    XK_Shift_L,         XK_Shift_R, XK_Control_L,   XK_Control_R,        XK_Alt_L,
    XK_Alt_R,           XK_Meta_L,  XK_Meta_R,      XK_Super_L,          XK_Super_R,
    XK_Hyper_L,         XK_Hyper_R, XK_Mode_switch, XK_ISO_Level3_Shift, XK_ISO_Level5_Shift,
    XK_ISO_Group_Shift,
};

}  // namespace

X11Keymap::X11Keymap(Display* display, unsigned activeModifiers, int group)
    : xkb_(
          XkbGetMap(display, XkbKeyTypesMask | XkbKeySymsMask | XkbModifierMapMask, XkbUseCoreKbd)),
      activeModifiers_(activeModifiers),
      group_(group) {
    if (xkb_ == nullptr || xkb_->map == nullptr) {
        if (xkb_ != nullptr) {
            XkbFreeKeyboard(xkb_, 0, True);
        }
        throw PlatformError(errors::DeviceUnavailable, "Cannot read the keyboard map");
    }
    for (KeySym wanted : ModifierKeysyms) {
        for (int kc = xkb_->min_key_code; kc <= xkb_->max_key_code; ++kc) {
            unsigned bits = xkb_->map->modmap[kc];
            if (bits == 0 || firstSymbol(static_cast<KeyCode>(kc)) != wanted) {
                continue;
            }
            int bit = std::countr_zero(bits);
            if (modifierKeys_[bit] == 0) {
                modifierKeys_[bit] = static_cast<KeyCode>(kc);
                pressable_ |= 1u << bit;
            }
            if ((wanted == XK_Alt_L || wanted == XK_Alt_R) && altMask_ == 0) {
                altMask_ = 1u << bit;
            }
            break;
        }
    }
    // Index every keysym the way a typist reaches it: keys of the main block before any
    // other key (a keysym that the main block has only shifted is typed there, not on a
    // keypad or extra key that has it unshifted: Wine, for one, maps the keypad's and the
    // extra keys' parentheses to no Windows key and drops them); within each, unshifted
    // levels of all keys before shifted ones, lower keycodes first. Keys whose level needs
    // a modifier we cannot press are left out.
    int maxWidth = 0;
    for (int kc = xkb_->min_key_code; kc <= xkb_->max_key_code; ++kc) {
        if (XkbKeyNumGroups(xkb_, kc) > 0) {
            maxWidth = std::max(maxWidth, static_cast<int>(XkbKeyGroupWidth(
                                              xkb_, kc, groupOf(static_cast<KeyCode>(kc)))));
        }
    }
    XkbGetNames(display, XkbKeyNamesMask, xkb_);
    for (bool mainBlock : {true, false}) {
        for (int level = 0; level < maxWidth; ++level) {
            for (int kc = xkb_->min_key_code; kc <= xkb_->max_key_code; ++kc) {
                if (XkbKeyNumGroups(xkb_, kc) == 0 ||
                    isMainBlockKey(static_cast<KeyCode>(kc)) != mainBlock) {
                    continue;
                }
                int g = groupOf(static_cast<KeyCode>(kc));
                if (level >= XkbKeyGroupWidth(xkb_, kc, g)) {
                    continue;
                }
                KeySym sym = XkbKeySymEntry(xkb_, kc, level, g);
                if (sym == NoSymbol || index_.count(sym) != 0) {
                    continue;
                }
                if (auto mods = modifiersForLevel(*XkbKeyKeyType(xkb_, kc, g), level)) {
                    index_.emplace(sym, X11Key{static_cast<KeyCode>(kc), *mods});
                }
            }
        }
    }
}

bool X11Keymap::isMainBlockKey(KeyCode keycode) const {
    // The XKB names of the alphanumeric block: rows E (digits) to B, <TLDE>, <BKSL>,
    // <LSGT> and the space bar; the same whatever the keycodes of the keyboard.
    if (xkb_->names == nullptr || xkb_->names->keys == nullptr) {
        return false;
    }
    const char* name = xkb_->names->keys[keycode].name;
    auto digit = [](char c) { return c >= '0' && c <= '9'; };
    if (name[0] == 'A' && name[1] >= 'B' && name[1] <= 'E' && digit(name[2]) && digit(name[3])) {
        return true;
    }
    for (const char* block : {"TLDE", "BKSL", "LSGT", "SPCE"}) {
        if (std::strncmp(name, block, XkbKeyNameLength) == 0) {
            return true;
        }
    }
    return false;
}

X11Keymap::~X11Keymap() {
    XkbFreeKeyboard(xkb_, 0, True);
}

int X11Keymap::groupOf(KeyCode keycode) const {
    int groups = XkbKeyNumGroups(xkb_, keycode);
    if (groups <= 0) {
        return 0;
    }
    if (group_ < groups) {
        return group_;
    }
    unsigned info = XkbKeyGroupInfo(xkb_, keycode);
    switch (XkbOutOfRangeGroupAction(info)) {
        case XkbRedirectIntoRange: {
            int target = XkbOutOfRangeGroupNumber(info);
            return target < groups ? target : 0;
        }
        case XkbClampIntoRange:
            return groups - 1;
        default:
            return group_ % groups;
    }
}

KeySym X11Keymap::firstSymbol(KeyCode keycode) const {
    if (XkbKeyNumGroups(xkb_, keycode) == 0) {
        return NoSymbol;
    }
    return XkbKeySymEntry(xkb_, keycode, 0, groupOf(keycode));
}

int X11Keymap::levelOf(const XkbKeyTypeRec& type, unsigned modifiers) const {
    unsigned relevant = modifiers & type.mods.mask;
    for (int i = 0; i < type.map_count; ++i) {
        const XkbKTMapEntryRec& entry = type.map[i];
        if (entry.active && entry.mods.mask == relevant) {
            return entry.level;
        }
    }
    return 0;
}

std::optional<unsigned> X11Keymap::modifiersForLevel(const XkbKeyTypeRec& type, int level) const {
    std::optional<unsigned> best;
    auto consider = [&](unsigned candidate) {
        if ((candidate & ~(pressable_ | activeModifiers_)) != 0) {
            return;  // needs a modifier that no key presses
        }
        if (levelOf(type, candidate | activeModifiers_) != level) {
            return;
        }
        unsigned toPress = candidate & ~activeModifiers_;
        if (!best || std::popcount(toPress) < std::popcount(*best)) {
            best = toPress;
        }
    };
    if (level == 0) {
        consider(0);
    }
    for (int i = 0; i < type.map_count; ++i) {
        if (type.map[i].active && type.map[i].level == level) {
            consider(type.map[i].mods.mask);
        }
    }
    return best;
}

std::optional<X11Key> X11Keymap::find(KeySym keysym) const {
    auto found = index_.find(keysym);
    if (found == index_.end()) {
        return std::nullopt;
    }
    return found->second;
}

KeyCode X11Keymap::modifierKey(unsigned bit) const {
    if (bit == 0 || !std::has_single_bit(bit) || bit > Mod5Mask) {
        return 0;
    }
    return modifierKeys_[std::countr_zero(bit)];
}

std::vector<KeyCode> X11Keymap::spareKeycodes() const {
    // Wine 8 gives each keycode whose keysym it does not know a Windows virtual key from
    // a small pool, in keycode order, when it reads the map. With the usual evdev map the
    // spares below 136 (the Linux key codes below 128: the classic PC keyboard) get
    // character keys, the next ones function keys F19 to F24, and from about keycode 162
    // on none at all, so Wine drops their keys (spares such as 183 typed nothing). The
    // lowest keycodes are served first in any map; so when the map has spares in that
    // range only those are used, and more characters than they hold go in several rounds.
    constexpr int ClassicKeycodesEnd = 136;
    std::vector<KeyCode> spare;
    // Keycode 8 stands for the kernel's reserved key 0, which some programs ignore.
    for (int kc = std::max(9, static_cast<int>(xkb_->min_key_code)); kc <= xkb_->max_key_code;
         ++kc) {
        if (XkbKeyNumGroups(xkb_, kc) == 0 && xkb_->map->modmap[kc] == 0) {
            spare.push_back(static_cast<KeyCode>(kc));
        }
    }
    auto classicEnd = std::find_if(spare.begin(), spare.end(),
                                   [](KeyCode kc) { return kc >= ClassicKeycodesEnd; });
    if (classicEnd != spare.begin()) {
        spare.erase(classicEnd, spare.end());
    }
    return spare;
}

bool X11Keymap::isHeldModifier(KeySym sym) {
    for (KeySym candidate : HeldModifierKeysyms) {
        if (sym == candidate) {
            return true;
        }
    }
    return false;
}

std::optional<KeySym> X11Keymap::keysymForCharacter(char32_t c) {
    switch (c) {
        case U'\n':
        case U'\r':
            return XK_Return;
        case U'\t':
            return XK_Tab;
        case U'\b':
            return XK_BackSpace;
        case 0x1b:
            return XK_Escape;
        case 0x7f:
            return XK_Delete;
        default:
            break;
    }
    if (c < 0x20 || (c >= 0x7f && c < 0xa0) || c > 0x10ffff || (c >= 0xd800 && c < 0xe000)) {
        return std::nullopt;
    }
    if (c < 0x100) {
        return static_cast<KeySym>(c);  // Latin-1 keysyms are the code points
    }
    return static_cast<KeySym>(0x1000000 | c);
}

KeySym X11Keymap::keysymForKey(NamedKey key) {
    switch (key) {
        case NamedKey::Backspace:
            return XK_BackSpace;
        case NamedKey::Break:
            return XK_Break;
        case NamedKey::CapsLock:
            return XK_Caps_Lock;
        case NamedKey::Delete:
            return XK_Delete;
        case NamedKey::Down:
            return XK_Down;
        case NamedKey::End:
            return XK_End;
        case NamedKey::Enter:
            return XK_Return;
        case NamedKey::Escape:
            return XK_Escape;
        case NamedKey::Help:
            return XK_Help;
        case NamedKey::Home:
            return XK_Home;
        case NamedKey::Insert:
            return XK_Insert;
        case NamedKey::Left:
            return XK_Left;
        case NamedKey::NumLock:
            return XK_Num_Lock;
        case NamedKey::PageDown:
            return XK_Next;
        case NamedKey::PageUp:
            return XK_Prior;
        case NamedKey::PrintScreen:
            return XK_Print;
        case NamedKey::Right:
            return XK_Right;
        case NamedKey::ScrollLock:
            return XK_Scroll_Lock;
        case NamedKey::Tab:
            return XK_Tab;
        case NamedKey::Up:
            return XK_Up;
        default:
            break;
    }
    // F1 ... F16 are consecutive in both enumerations.
    return XK_F1 + (static_cast<int>(key) - static_cast<int>(NamedKey::F1));
}

}  // namespace keyrelay
