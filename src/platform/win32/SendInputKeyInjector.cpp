#include "platform/win32/SendInputKeyInjector.h"

#include <windows.h>

#include <cstdint>
#include <iterator>
#include <vector>

#include "platform/KeyNotation.h"
#include "platform/PlatformError.h"
#include "platform/win32/Win32Error.h"

namespace keyrelay {

namespace {

struct ModifierKey {
    std::uint8_t bit;
    WORD vk;
};

// Pressed in this order and released in the reverse one, so Ctrl comes before Alt as
// AltGr needs.
constexpr ModifierKey ModifierKeys[] = {
    {ShiftModifier, VK_SHIFT},
    {ControlModifier, VK_CONTROL},
    {AltModifier, VK_MENU},
};

WORD virtualKeyOf(NamedKey key) {
    switch (key) {
        case NamedKey::Backspace:
            return VK_BACK;
        case NamedKey::Break:
            return VK_CANCEL;
        case NamedKey::CapsLock:
            return VK_CAPITAL;
        case NamedKey::Delete:
            return VK_DELETE;
        case NamedKey::Down:
            return VK_DOWN;
        case NamedKey::End:
            return VK_END;
        case NamedKey::Enter:
            return VK_RETURN;
        case NamedKey::Escape:
            return VK_ESCAPE;
        case NamedKey::Help:
            return VK_HELP;
        case NamedKey::Home:
            return VK_HOME;
        case NamedKey::Insert:
            return VK_INSERT;
        case NamedKey::Left:
            return VK_LEFT;
        case NamedKey::NumLock:
            return VK_NUMLOCK;
        case NamedKey::PageDown:
            return VK_NEXT;
        case NamedKey::PageUp:
            return VK_PRIOR;
        case NamedKey::PrintScreen:
            return VK_SNAPSHOT;
        case NamedKey::Right:
            return VK_RIGHT;
        case NamedKey::ScrollLock:
            return VK_SCROLL;
        case NamedKey::Tab:
            return VK_TAB;
        case NamedKey::Up:
            return VK_UP;
        default:
            break;
    }
    // F1 to F16 follow each other in both enumerations.
    return static_cast<WORD>(VK_F1 + (static_cast<int>(key) - static_cast<int>(NamedKey::F1)));
}

// Keys of the navigation block and friends: without the extended flag they would arrive
// as the keypad keys that share their scan codes.
bool isExtended(WORD vk) {
    switch (vk) {
        case VK_CANCEL:
        case VK_DELETE:
        case VK_DOWN:
        case VK_END:
        case VK_HOME:
        case VK_INSERT:
        case VK_LEFT:
        case VK_NEXT:
        case VK_NUMLOCK:
        case VK_PRIOR:
        case VK_RIGHT:
        case VK_SNAPSHOT:
        case VK_UP:
            return true;
        default:
            return false;
    }
}

bool isCasedLetter(char32_t c) {
    if (c > 0xFFFF) {
        return false;
    }
    const auto unit = static_cast<wchar_t>(c);
    return IsCharAlphaW(unit) && (IsCharUpperW(unit) || IsCharLowerW(unit));
}

// Collects the events of one string.
class EventBatch {
public:
    explicit EventBatch(HKL layout)
        : layout_(layout), capsLock_((GetKeyState(VK_CAPITAL) & 1) != 0) {}

    void stroke(const KeyStroke& s) {
        if (s.isNamedKey) {
            hold(s.modifiers);
            tap(virtualKeyOf(s.key));
        } else {
            character(s.character, s.modifiers);
        }
    }

    void releaseAll() { hold(NoModifier); }

    std::vector<INPUT>& events() { return events_; }

private:
    void character(char32_t c, std::uint8_t modifiers) {
        // Line ends and tabs are keys, not characters, in a text field.
        if (c == U'\r' || c == U'\n') {
            hold(modifiers);
            tap(VK_RETURN);
            return;
        }
        if (c == U'\t') {
            hold(modifiers);
            tap(VK_TAB);
            return;
        }
        if (c <= 0xFFFF) {
            const SHORT found = VkKeyScanExW(static_cast<wchar_t>(c), layout_);
            const auto level = static_cast<std::uint8_t>((found >> 8) & 0xFF);
            // Levels beyond Shift, Ctrl and Alt (Kana and the like) are left to the
            // Unicode event.
            if (found != -1 && (level & ~(ShiftModifier | ControlModifier | AltModifier)) == 0 &&
                !isDeadKey(static_cast<WORD>(found & 0xFF))) {
                std::uint8_t needed = level;
                if (capsLock_ && (level & (ControlModifier | AltModifier)) == 0 &&
                    isCasedLetter(c)) {
                    needed ^= ShiftModifier;
                }
                hold(static_cast<std::uint8_t>(modifiers | needed));
                tap(static_cast<WORD>(found & 0xFF));
                return;
            }
        }
        hold(modifiers);
        if (c <= 0xFFFF) {
            unicode(static_cast<wchar_t>(c));
        } else {
            const char32_t v = c - 0x10000;
            unicode(static_cast<wchar_t>(0xD800 + (v >> 10)));
            unicode(static_cast<wchar_t>(0xDC00 + (v & 0x3FF)));
        }
    }

    // Moves the held modifiers to `wanted`: releases those no longer wanted, presses the
    // new ones. Keys of one group share their modifiers, so they stay down over it.
    void hold(std::uint8_t wanted) {
        for (auto it = std::rbegin(ModifierKeys); it != std::rend(ModifierKeys); ++it) {
            if ((held_ & it->bit) != 0 && (wanted & it->bit) == 0) {
                key(it->vk, true);
            }
        }
        for (const ModifierKey& m : ModifierKeys) {
            if ((held_ & m.bit) == 0 && (wanted & m.bit) != 0) {
                key(m.vk, false);
            }
        }
        held_ = wanted;
    }

    void tap(WORD vk) {
        key(vk, false);
        key(vk, true);
    }

    void key(WORD vk, bool up) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = vk;
        input.ki.wScan = static_cast<WORD>(MapVirtualKeyExW(vk, MAPVK_VK_TO_VSC, layout_));
        input.ki.dwFlags =
            (up ? KEYEVENTF_KEYUP : 0) | (isExtended(vk) ? KEYEVENTF_EXTENDEDKEY : 0);
        events_.push_back(input);
    }

    void unicode(wchar_t unit) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wScan = static_cast<WORD>(unit);
        input.ki.dwFlags = KEYEVENTF_UNICODE;
        events_.push_back(input);
        input.ki.dwFlags = KEYEVENTF_UNICODE | KEYEVENTF_KEYUP;
        events_.push_back(input);
    }

    // A dead key ("^" and "`" on German and French keyboards) types nothing by itself and
    // changes the next character instead, so its characters go as Unicode events.
    bool isDeadKey(WORD vk) const {
        return (MapVirtualKeyExW(vk, MAPVK_VK_TO_CHAR, layout_) & 0x80000000u) != 0;
    }

    HKL layout_;
    bool capsLock_;
    std::uint8_t held_ = NoModifier;
    std::vector<INPUT> events_;
};

// The keys are translated by the layout of the thread that receives them.
HKL foregroundLayout() {
    HWND foreground = GetForegroundWindow();
    const DWORD thread = foreground != nullptr ? GetWindowThreadProcessId(foreground, nullptr) : 0;
    return GetKeyboardLayout(thread);
}

void releaseModifiers() {
    INPUT inputs[std::size(ModifierKeys)] = {};
    for (std::size_t i = 0; i < std::size(ModifierKeys); ++i) {
        inputs[i].type = INPUT_KEYBOARD;
        inputs[i].ki.wVk = ModifierKeys[i].vk;
        inputs[i].ki.dwFlags = KEYEVENTF_KEYUP;
    }
    SendInput(static_cast<UINT>(std::size(inputs)), inputs, sizeof(INPUT));
}

}  // namespace

void SendInputKeyInjector::sendKeys(const std::string& keys) {
    const std::vector<KeyStroke> strokes = KeyNotation::parse(keys);
    EventBatch batch(foregroundLayout());
    for (const KeyStroke& s : strokes) {
        batch.stroke(s);
    }
    batch.releaseAll();

    std::vector<INPUT>& events = batch.events();
    if (events.empty()) {
        return;
    }
    const auto count = static_cast<UINT>(events.size());
    SetLastError(0);
    const UINT sent = SendInput(count, events.data(), sizeof(INPUT));
    if (sent == count) {
        return;
    }
    const DWORD error = GetLastError();
    if (sent > 0) {
        releaseModifiers();
    }
    if (error != 0) {
        throw win32::systemError(error);
    }
    throw PlatformError(errors::PermissionDenied,
                        "Windows refused the keystrokes (" + std::to_string(sent) + " of " +
                            std::to_string(count) + " key events were taken)");
}

}  // namespace keyrelay
