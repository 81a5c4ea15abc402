// gtest before Xlib: Xlib's None and Bool macros break its templates.
#include <gtest/gtest.h>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <memory>
#include <string>
#include <vector>

#include "TestWindow.h"
#include "platform/PlatformError.h"
#include "platform/x11/SendEventKeyInjector.h"
#include "platform/x11/X11WindowSystem.h"
#include "platform/x11/XTestKeyInjector.h"

namespace keyrelay {
namespace {

using test::RecordedKey;
using test::TestWindow;

enum class Path { Standard, Alternate };

struct KeyCase {
    const char* name;
    const char* keys;
    std::vector<std::string> expected;  // presses: keysym name, "+S" Shift, "+C" Ctrl, "+A" Alt
};

bool isHeldModifier(unsigned long keysym) {
    switch (keysym) {
        case XK_Shift_L:
        case XK_Shift_R:
        case XK_Control_L:
        case XK_Control_R:
        case XK_Alt_L:
        case XK_Alt_R:
        case XK_Meta_L:
        case XK_Meta_R:
        case XK_ISO_Level3_Shift:
            return true;
        default:
            return false;
    }
}

// A key as "<keysym name>[+S][+C][+A]". Shift is left out for characters: their keysym
// already says whether the level came from it, and which key types a symbol ("(" on
// the main row or on the keypad) is the keyboard map's business.
std::string token(const RecordedKey& key) {
    const char* name = XKeysymToString(key.keysym);
    std::string text = name != nullptr ? name : "?";
    bool character = (key.keysym >= 0x20 && key.keysym < 0x100) || key.keysym >= 0x1000000;
    if ((key.state & ShiftMask) && !character) {
        text += "+S";
    }
    if (key.state & ControlMask) {
        text += "+C";
    }
    if (key.state & Mod1Mask) {
        text += "+A";
    }
    return text;
}

// What the window received: the presses of ordinary keys as tokens.
std::vector<std::string> pressedTokens(const std::vector<RecordedKey>& keys) {
    std::vector<std::string> tokens;
    for (const RecordedKey& key : keys) {
        if (key.press && !isHeldModifier(key.keysym)) {
            tokens.push_back(token(key));
        }
    }
    return tokens;
}

std::vector<std::string> unicodeNames(const std::u32string& text) {
    std::vector<std::string> names;
    for (char32_t c : text) {
        char name[16];
        std::snprintf(name, sizeof name, "U%04X", static_cast<unsigned>(c));
        names.push_back(name);
    }
    return names;
}

std::vector<unsigned char> coreKeymap(Display* dpy) {
    int min = 0, max = 0, perKey = 0;
    XDisplayKeycodes(dpy, &min, &max);
    KeySym* syms = XGetKeyboardMapping(dpy, static_cast<KeyCode>(min), max - min + 1, &perKey);
    std::vector<unsigned char> bytes(
        reinterpret_cast<unsigned char*>(syms),
        reinterpret_cast<unsigned char*>(syms) + sizeof(KeySym) * (max - min + 1) * perKey);
    XFree(syms);
    return bytes;
}

class X11KeyInjectorTest : public ::testing::Test {
protected:
    void SetUp() override {
        display_ = X11Display::open();
        windows_ = std::make_unique<X11WindowSystem>(display_);
        standard_ = std::make_unique<XTestKeyInjector>(display_);
        alternate_ = std::make_unique<SendEventKeyInjector>(display_);
        window_ = std::make_unique<TestWindow>("Keyrelay key test");
        windows_->activate(window_->handle());
        // activate() waits for the focus only briefly; on a busy machine the window
        // manager may take longer, and the keys must not go elsewhere.
        ASSERT_TRUE(TestWindow::waitForFocus(dpy(), window_->handle()));
        window_->settle();
        typedBefore_ = window_->keys().size();
    }

    KeyInjector& injector(Path path) {
        return path == Path::Standard ? static_cast<KeyInjector&>(*standard_) : *alternate_;
    }

    // The keys the window received since SetUp, once it has handled them all.
    std::vector<RecordedKey> received() {
        window_->settle();
        auto keys = window_->keys();
        return {keys.begin() + static_cast<long>(typedBefore_), keys.end()};
    }

    Display* dpy() { return display_->get(); }

    std::shared_ptr<X11Display> display_;
    std::unique_ptr<X11WindowSystem> windows_;
    std::unique_ptr<XTestKeyInjector> standard_;
    std::unique_ptr<SendEventKeyInjector> alternate_;
    std::unique_ptr<TestWindow> window_;
    std::size_t typedBefore_ = 0;
};

class X11KeyNotationTest : public X11KeyInjectorTest,
                           public ::testing::WithParamInterface<std::tuple<Path, KeyCase>> {};

TEST_P(X11KeyNotationTest, EveryStrokeArrivesInOrderWithItsModifiers) {
    auto [path, keyCase] = GetParam();
    auto before = coreKeymap(dpy());
    injector(path).sendKeys(keyCase.keys);
    auto keys = received();

    EXPECT_EQ(pressedTokens(keys), keyCase.expected);
    int down = 0;
    for (const RecordedKey& key : keys) {
        down += key.press ? 1 : -1;
        EXPECT_EQ(key.sendEvent, path == Path::Alternate);
    }
    EXPECT_EQ(down, 0) << "every key pressed is released";
    EXPECT_EQ(coreKeymap(dpy()), before) << "the keyboard map is as it was";
}

const KeyCase Cases[] = {
    {"LettersAndDigits", "abc 123", {"a", "b", "c", "space", "1", "2", "3"}},
    {"UpperCaseAndShiftedSymbols",
     "Hi!@#$&*_:\"<>?|",
     {"H", "i", "exclam", "at", "numbersign", "dollar", "ampersand", "asterisk", "underscore",
      "colon", "quotedbl", "less", "greater", "question", "bar"}},
    {"ShiftCtrlAltApplyToTheNextKey", "+ab^cd%ef", {"A", "b", "c+C", "d", "e+A", "f"}},
    {"ModifierOverAGroup", "+(ec)d^(xy)", {"E", "C", "d", "x+C", "y+C"}},
    {"ModifiersCombine", "+^a%+b", {"A+C", "B+A"}},
    {"TildeIsEnter", "a~b", {"a", "Return", "b"}},
    {"BracesQuoteSpecialCharacters",
     "{+}{^}{%}{~}{(}{)}{{}{}}{[}{]}",
     {"plus", "asciicircum", "percent", "asciitilde", "parenleft", "parenright", "braceleft",
      "braceright", "bracketleft", "bracketright"}},
    {"BracketsTypeThemselves", "[x]", {"bracketleft", "x", "bracketright"}},
    {"NamedKeys",
     "{BS}{BACKSPACE}{BKSP}{BREAK}{DEL}{DELETE}{DOWN}{END}{ENTER}{ESC}{HELP}{HOME}{INSERT}"
     "{LEFT}{PGDN}{PGUP}{RIGHT}{TAB}{UP}",
     {"BackSpace", "BackSpace", "BackSpace", "Break+C", "Delete", "Delete", "Down", "End", "Return",
      "Escape", "Help", "Home", "Insert", "Left", "Next", "Prior", "Right", "Tab", "Up"}},
    {"LockKeysToggleTwice",
     "{NUMLOCK}{NUMLOCK}{SCROLLLOCK}{SCROLLLOCK}",
     {"Num_Lock", "Num_Lock", "Scroll_Lock", "Scroll_Lock"}},
    {"FunctionKeys",
     "{F1}{F2}{F3}{F4}{F5}{F6}{F7}{F8}{F9}{F10}{F11}{F12}{F13}{F14}{F15}{F16}",
     {"F1", "F2", "F3", "F4", "F5", "F6", "F7", "F8", "F9", "F10", "F11", "F12", "F13", "F14",
      "F15", "F16"}},
    {"ModifiedNamedKeys", "+{LEFT}^{HOME}%{F2}", {"Left+S", "Home+C", "F2+A"}},
    {"Repeats", "{h 3}{LEFT 2}{+ 2}", {"h", "h", "h", "Left", "Left", "plus", "plus"}},
    {"LineEndsAndTabs", "a\tb\nc\r", {"a", "Tab", "b", "Return", "c", "Return"}},
    {"CharactersTheKeymapLacks",
     "x\xc3\xa9y\xe2\x82\xac\xce\xa9z",  // x é y € Ω z
     {"x", "eacute", "y", "U20AC", "U03A9", "z"}},
    {"RepeatedMissingCharacter",
     "\xc3\xa9\xc3\xa9{\xc3\xa9 2}",
     {"eacute", "eacute", "eacute", "eacute"}},
};

void PrintTo(const KeyCase& keyCase, std::ostream* out) {
    *out << keyCase.name;
}
void PrintTo(Path path, std::ostream* out) {
    *out << (path == Path::Standard ? "standard path" : "alternate path");
}

std::string caseName(const ::testing::TestParamInfo<std::tuple<Path, KeyCase>>& info) {
    return std::string(std::get<0>(info.param) == Path::Standard ? "Standard_" : "Alternate_") +
           std::get<1>(info.param).name;
}

INSTANTIATE_TEST_SUITE_P(Notation, X11KeyNotationTest,
                         ::testing::Combine(::testing::Values(Path::Standard, Path::Alternate),
                                            ::testing::ValuesIn(Cases)),
                         caseName);

// openbox grabs the Print key, so only synthetic events reach the window with it here;
// the standard path types it on a display without a window manager.
const KeyCase AlternateOnlyCases[] = {{"PrintScreen", "{PRTSC}", {"Print"}}};

INSTANTIATE_TEST_SUITE_P(NotationGrabbedKeys, X11KeyNotationTest,
                         ::testing::Combine(::testing::Values(Path::Alternate),
                                            ::testing::ValuesIn(AlternateOnlyCases)),
                         caseName);

class X11KeyPathTest : public X11KeyInjectorTest, public ::testing::WithParamInterface<Path> {};

TEST_P(X11KeyPathTest, MoreMissingCharactersThanSpareKeysArriveInOrder) {
    // Greek and Cyrillic letters: far more than the spare keycodes of a keyboard map.
    std::u32string text = U"αβγδεζηθικλμνξοπρστυφχψωабвгдежзий";
    std::string utf8;
    for (char32_t c : text) {
        utf8 += static_cast<char>(0xc0 | (c >> 6));
        utf8 += static_cast<char>(0x80 | (c & 0x3f));
    }
    auto before = coreKeymap(dpy());
    injector(GetParam()).sendKeys(utf8);
    EXPECT_EQ(pressedTokens(received()), unicodeNames(text));
    EXPECT_EQ(coreKeymap(dpy()), before);
}

TEST_P(X11KeyPathTest, MalformedStringTypesNothing) {
    for (const char* keys : {"abc{ENTER", "abc{NOSUCHKEY}", "ab+", "a\x01"}) {
        try {
            injector(GetParam()).sendKeys(keys);
            ADD_FAILURE() << "accepted " << keys;
        } catch (const PlatformError& e) {
            EXPECT_EQ(e.number(), errors::InvalidArgument) << keys;
        }
    }
    EXPECT_TRUE(received().empty());
}

std::string pathName(const ::testing::TestParamInfo<Path>& param) {
    return param.param == Path::Standard ? "Standard" : "Alternate";
}

INSTANTIATE_TEST_SUITE_P(Paths, X11KeyPathTest, ::testing::Values(Path::Standard, Path::Alternate),
                         pathName);

TEST_F(X11KeyInjectorTest, CapsLockDoesNotChangeTypedCaseAndStaysLocked) {
    XkbLockModifiers(dpy(), XkbUseCoreKbd, LockMask, LockMask);
    XSync(dpy(), False);
    standard_->sendKeys("aB+c");
    auto tokens = pressedTokens(received());
    XkbStateRec state = {};
    XkbGetState(dpy(), XkbUseCoreKbd, &state);
    XkbLockModifiers(dpy(), XkbUseCoreKbd, LockMask, 0);
    XSync(dpy(), False);

    EXPECT_EQ(tokens, (std::vector<std::string>{"a", "B", "C"}));
    EXPECT_TRUE(state.locked_mods & LockMask);
}

TEST_F(X11KeyInjectorTest, CapsLockKeyInTheStringTogglesTheLock) {
    standard_->sendKeys("{CAPSLOCK}");
    XkbStateRec state = {};
    XkbGetState(dpy(), XkbUseCoreKbd, &state);
    bool lockedAfterFirst = state.locked_mods & LockMask;
    standard_->sendKeys("{CAPSLOCK}");
    XkbGetState(dpy(), XkbUseCoreKbd, &state);
    bool lockedAfterSecond = state.locked_mods & LockMask;
    XkbLockModifiers(dpy(), XkbUseCoreKbd, LockMask, 0);
    XSync(dpy(), False);

    EXPECT_TRUE(lockedAfterFirst);
    EXPECT_FALSE(lockedAfterSecond);
}

TEST_F(X11KeyInjectorTest, ModifierHeldByTheUserDoesNotApplyAndStaysHeld) {
    KeyCode shift = XKeysymToKeycode(dpy(), XK_Shift_L);
    KeyCode control = XKeysymToKeycode(dpy(), XK_Control_R);
    XTestFakeKeyEvent(dpy(), shift, True, CurrentTime);
    XTestFakeKeyEvent(dpy(), control, True, CurrentTime);
    XSync(dpy(), False);

    standard_->sendKeys("ab");
    auto tokens = pressedTokens(received());
    char down[32];
    XQueryKeymap(dpy(), down);
    XTestFakeKeyEvent(dpy(), control, False, CurrentTime);
    XTestFakeKeyEvent(dpy(), shift, False, CurrentTime);
    XSync(dpy(), False);

    EXPECT_EQ(tokens, (std::vector<std::string>{"a", "b"}));
    EXPECT_TRUE((down[shift / 8] >> (shift % 8)) & 1) << "Shift is down again";
    EXPECT_TRUE((down[control / 8] >> (control % 8)) & 1) << "Control is down again";
}

TEST_F(X11KeyInjectorTest, AlternatePathCarriesModifiersInTheEventsOnly) {
    alternate_->sendKeys("+a");
    auto keys = received();
    char down[32];
    XQueryKeymap(dpy(), down);

    EXPECT_EQ(pressedTokens(keys), (std::vector<std::string>{"A"}));
    for (const RecordedKey& key : keys) {
        if (key.press && key.keysym == XK_A) {
            EXPECT_TRUE(key.state & ShiftMask) << "Shift rides in the event's state";
        }
    }
    for (char byte : down) {
        EXPECT_EQ(byte, 0) << "no key of the keyboard went down";
    }
}

}  // namespace
}  // namespace keyrelay
