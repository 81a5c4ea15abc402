#include "platform/KeyNotation.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <utility>

#include "platform/PlatformError.h"

namespace keyrelay {

namespace {

struct KeyName {
    const char* name;
    NamedKey key;
};

// Every name the notation accepts in braces, upper case.
constexpr std::array<KeyName, 43> KeyNames{{
    {"BACKSPACE", NamedKey::Backspace},
    {"BS", NamedKey::Backspace},
    {"BKSP", NamedKey::Backspace},
    {"BREAK", NamedKey::Break},
    {"CAPSLOCK", NamedKey::CapsLock},
    {"DELETE", NamedKey::Delete},
    {"DEL", NamedKey::Delete},
    {"DOWN", NamedKey::Down},
    {"END", NamedKey::End},
    {"ENTER", NamedKey::Enter},
    {"ESC", NamedKey::Escape},
    {"HELP", NamedKey::Help},
    {"HOME", NamedKey::Home},
    {"INSERT", NamedKey::Insert},
    {"INS", NamedKey::Insert},
    {"LEFT", NamedKey::Left},
    {"NUMLOCK", NamedKey::NumLock},
    {"PGDN", NamedKey::PageDown},
    {"PGUP", NamedKey::PageUp},
    {"PRTSC", NamedKey::PrintScreen},
    {"RIGHT", NamedKey::Right},
    {"SCROLLLOCK", NamedKey::ScrollLock},
    {"TAB", NamedKey::Tab},
    {"UP", NamedKey::Up},
    {"F1", NamedKey::F1},
    {"F2", NamedKey::F2},
    {"F3", NamedKey::F3},
    {"F4", NamedKey::F4},
    {"F5", NamedKey::F5},
    {"F6", NamedKey::F6},
    {"F7", NamedKey::F7},
    {"F8", NamedKey::F8},
    {"F9", NamedKey::F9},
    {"F10", NamedKey::F10},
    {"F11", NamedKey::F11},
    {"F12", NamedKey::F12},
    {"F13", NamedKey::F13},
    {"F14", NamedKey::F14},
    {"F15", NamedKey::F15},
    {"F16", NamedKey::F16},
    {"ESCAPE", NamedKey::Escape},
    {"PRINTSCREEN", NamedKey::PrintScreen},
    {"RETURN", NamedKey::Enter},
}};

[[noreturn]] void fail(std::string_view keys, const std::string& what) {
    throw PlatformError(errors::InvalidArgument,
                        "Malformed keystroke string \"" + std::string(keys) + "\": " + what);
}

std::string upper(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return out;
}

// Decodes the UTF-8 text into code points; throws on invalid sequences.
std::u32string decode(std::string_view keys) {
    std::u32string out;
    out.reserve(keys.size());
    for (std::size_t i = 0; i < keys.size();) {
        const auto b = static_cast<unsigned char>(keys[i]);
        int extra = 0;
        char32_t cp = 0;
        if (b < 0x80) {
            cp = b;
        } else if ((b & 0xE0) == 0xC0) {
            extra = 1;
            cp = b & 0x1F;
        } else if ((b & 0xF0) == 0xE0) {
            extra = 2;
            cp = b & 0x0F;
        } else if ((b & 0xF8) == 0xF0) {
            extra = 3;
            cp = b & 0x07;
        } else {
            fail(keys, "it is not valid UTF-8 text");
        }
        if (i + extra >= keys.size() && extra > 0) {
            fail(keys, "it is not valid UTF-8 text");
        }
        for (int k = 1; k <= extra; ++k) {
            const auto c = static_cast<unsigned char>(keys[i + k]);
            if ((c & 0xC0) != 0x80) {
                fail(keys, "it is not valid UTF-8 text");
            }
            cp = (cp << 6) | (c & 0x3F);
        }
        const bool overlong =
            (extra == 1 && cp < 0x80) || (extra == 2 && cp < 0x800) || (extra == 3 && cp < 0x10000);
        if (overlong || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            fail(keys, "it is not valid UTF-8 text");
        }
        out.push_back(cp);
        i += 1 + extra;
    }
    return out;
}

std::string encode(char32_t cp) {
    std::string s;
    if (cp < 0x80) {
        s += static_cast<char>(cp);
    } else if (cp < 0x800) {
        s += static_cast<char>(0xC0 | (cp >> 6));
        s += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        s += static_cast<char>(0xE0 | (cp >> 12));
        s += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        s += static_cast<char>(0xF0 | (cp >> 18));
        s += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        s += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (cp & 0x3F));
    }
    return s;
}

class Parser {
public:
    explicit Parser(std::string_view keys) : keys_(keys), text_(decode(keys)) {}

    std::vector<KeyStroke> run() {
        sequence(NoModifier, /*inGroup=*/false);
        return std::move(out_);
    }

private:
    // Parses keys until the end (or the closing parenthesis of a group), each typed with
    // `held` plus its own prefix modifiers.
    void sequence(std::uint8_t held, bool inGroup) {
        while (pos_ < text_.size()) {
            if (text_[pos_] == U')') {
                if (!inGroup) {
                    fail(keys_, "\")\" without a matching \"(\" (write {)} to type it)");
                }
                ++pos_;
                return;
            }
            item(held);
        }
        if (inGroup) {
            fail(keys_, "\"(\" without a matching \")\"");
        }
    }

    // One key, braced item or group, with the modifier prefixes in front of it.
    void item(std::uint8_t held) {
        std::uint8_t mods = held;
        bool prefixed = false;
        while (pos_ < text_.size()) {
            const char32_t c = text_[pos_];
            if (c == U'+') {
                mods |= ShiftModifier;
            } else if (c == U'^') {
                mods |= ControlModifier;
            } else if (c == U'%') {
                mods |= AltModifier;
            } else {
                break;
            }
            prefixed = true;
            ++pos_;
        }
        if (pos_ >= text_.size() || (prefixed && text_[pos_] == U')')) {
            fail(keys_, "a modifier (+ ^ %) with no key after it");
        }
        const char32_t c = text_[pos_];
        if (c == U'(') {
            if (++depth_ > KeyNotation::MaxGroupDepth) {
                fail(keys_, "groups nested more than " +
                                std::to_string(KeyNotation::MaxGroupDepth) + " deep");
            }
            ++pos_;
            const std::size_t before = out_.size();
            sequence(mods, /*inGroup=*/true);
            --depth_;
            if (prefixed && out_.size() == before) {
                fail(keys_, "a modifier (+ ^ %) in front of an empty group");
            }
        } else if (c == U'{') {
            braced(mods);
        } else if (c == U'}') {
            fail(keys_, "\"}\" without a matching \"{\" (write {}} to type it)");
        } else if (c == U'~') {
            ++pos_;
            out_.push_back(KeyStroke::ofKey(NamedKey::Enter, mods));
        } else {
            ++pos_;
            out_.push_back(KeyStroke::ofChar(c, mods));
        }
    }

    // "{...}": a quoted character or a key name, optionally a blank and a repeat count.
    void braced(std::uint8_t mods) {
        ++pos_;
        // The first character may itself be "}" ("{}}"), so the closing brace is searched
        // from the second one on.
        if (pos_ >= text_.size()) {
            fail(keys_, "\"{\" without a matching \"}\"");
        }
        std::size_t close = pos_ + 1;
        while (close < text_.size() && text_[close] != U'}') {
            ++close;
        }
        if (text_[pos_] == U'}' && close >= text_.size()) {
            // "{}" at the very end: an empty key name.
            fail(keys_, "empty braces \"{}\"");
        }
        if (close >= text_.size()) {
            fail(keys_, "\"{\" without a matching \"}\"");
        }
        const std::u32string inner = text_.substr(pos_, close - pos_);
        pos_ = close + 1;

        // The name is everything up to the last blank; a count follows that blank. A lone
        // blank ("{ }") is the blank character itself.
        std::u32string name = inner;
        int count = 1;
        const std::size_t blank = inner.rfind(U' ');
        if (blank != std::u32string::npos && blank > 0) {
            name = inner.substr(0, blank);
            count = repeatCount(inner.substr(blank + 1));
        }
        if (name.empty()) {
            fail(keys_, "empty braces \"{}\"");
        }
        KeyStroke stroke;
        if (name.size() == 1) {
            // A single character is never a key name: "{+}" types "+", "{h 10}" types h ten
            // times.
            stroke = KeyStroke::ofChar(name[0], mods);
        } else {
            stroke = KeyStroke::ofKey(lookup(name), mods);
        }
        for (int i = 0; i < count; ++i) {
            out_.push_back(stroke);
        }
    }

    int repeatCount(const std::u32string& text) const {
        if (text.empty() || text.size() > 5) {
            fail(keys_, "bad repeat count \"" + toUtf8(text) + "\" (a whole number from 0 to " +
                            std::to_string(KeyNotation::MaxRepeat) + " is expected)");
        }
        int value = 0;
        for (char32_t c : text) {
            if (c < U'0' || c > U'9') {
                fail(keys_, "bad repeat count \"" + toUtf8(text) + "\" (a whole number from 0 to " +
                                std::to_string(KeyNotation::MaxRepeat) + " is expected)");
            }
            value = value * 10 + static_cast<int>(c - U'0');
        }
        if (value > KeyNotation::MaxRepeat) {
            fail(keys_, "repeat count " + std::to_string(value) + " is larger than " +
                            std::to_string(KeyNotation::MaxRepeat));
        }
        return value;
    }

    NamedKey lookup(const std::u32string& name) const {
        const std::string wanted = upper(toUtf8(name));
        for (const KeyName& k : KeyNames) {
            if (wanted == k.name) {
                return k.key;
            }
        }
        fail(keys_, "unknown key name {" + toUtf8(name) + "}");
    }

    static std::string toUtf8(const std::u32string& s) {
        std::string out;
        for (char32_t c : s) {
            out += encode(c);
        }
        return out;
    }

    std::string_view keys_;
    std::u32string text_;
    std::size_t pos_ = 0;
    int depth_ = 0;  // groups open around the current position
    std::vector<KeyStroke> out_;
};

}  // namespace

std::vector<KeyStroke> KeyNotation::parse(std::string_view keys) {
    return Parser(keys).run();
}

std::string KeyNotation::nameOf(NamedKey key) {
    for (const KeyName& k : KeyNames) {
        if (k.key == key) {
            return k.name;
        }
    }
    return {};
}

}  // namespace keyrelay
