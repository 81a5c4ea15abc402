#include "platform/win32/SendInputKeyInjector.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "RecordingWindow.h"
#include "platform/PlatformError.h"
#include "platform/win32/Win32WindowSystem.h"

namespace keyrelay {
namespace {

using Keys = std::vector<std::string>;

struct TypingCase {
    std::string notation;
    std::string text;          // characters that arrive, UTF-8
    std::optional<Keys> keys;  // key presses that arrive, when the case is about them
};

class SendInputKeyInjectorTest : public ::testing::Test {
protected:
    void SetUp() override {
        window_ = std::make_unique<test::RecordingWindow>(
            L"KrT" + std::to_wstring(GetCurrentProcessId()) + L" keys");
        windows_.activate(window_->handle());
        ASSERT_TRUE(test::pumpUntil([&] { return GetForegroundWindow() == window_->hwnd(); }));
    }

    std::unique_ptr<test::RecordingWindow> window_;
    Win32WindowSystem windows_;
    SendInputKeyInjector injector_;
};

TEST_F(SendInputKeyInjectorTest, EveryNotationConstructArrivesAsTyped) {
    const std::vector<TypingCase> cases = {
        {"aB1", "aB1", Keys{"A", "[Shift", "+B", "]Shift", "1"}},
        {"!", "!", Keys{"[Shift", "+1", "]Shift"}},
        // Shift held over the whole group, and only over the next key without one.
        {"+(ec)", "EC", Keys{"[Shift", "+E", "+C", "]Shift"}},
        {"+ec", "Ec", Keys{"[Shift", "+E", "]Shift", "C"}},
        {"^a", "\x01", Keys{"[Ctrl", "^A", "]Ctrl"}},
        {"%c", "c", Keys{"[Alt", "%C", "]Alt"}},
        {"^+{F5}", "", Keys{"[Shift", "[Ctrl", "+^F5", "]Ctrl", "]Shift"}},
        // The decoder's frequency box: Alt+C, then T; the capitals need Shift too.
        {"%CT", "CT", Keys{"[Shift", "[Alt", "+%C", "]Alt", "+T", "]Shift"}},
        {"~", "\r", Keys{"RETURN"}},
        {"{+}{^}{%}{~}{(}{)}{{}{}}", "+^%~(){}", std::nullopt},
        {"[x]", "[x]", Keys{"OEM_4", "X", "OEM_6"}},
        {"{LEFT 3}{h 4}", "hhhh", Keys{"LEFT", "LEFT", "LEFT", "H", "H", "H", "H"}},
        {"{enter}{Tab}{BS}{BKSP}{BACKSPACE}{ESC}", "\r\t\b\b\b\x1b",
         Keys{"RETURN", "TAB", "BACK", "BACK", "BACK", "ESCAPE"}},
        {"{UP}{DOWN}{RIGHT}{HOME}{END}{PGUP}{PGDN}{INSERT}{DEL}{DELETE}{HELP}", "",
         Keys{"UP", "DOWN", "RIGHT", "HOME", "END", "PRIOR", "NEXT", "INSERT", "DELETE", "DELETE",
              "HELP"}},
        {"{F1}{f12}{F13}{F16}", "", Keys{"F1", "F12", "F13", "F16"}},
        // Toggles are pressed twice so the keyboard is left as it was.
        {"{CAPSLOCK 2}{NUMLOCK 2}{SCROLLLOCK 2}", "",
         Keys{"CAPITAL", "CAPITAL", "NUMLOCK", "NUMLOCK", "SCROLL", "SCROLL"}},
        {"{h 0}", "", Keys{}},
        // Characters the keyboard layout lacks.
        {"\xE2\x82\xAC\xD0\xB6", "\xE2\x82\xAC\xD0\xB6", Keys{"PACKET", "PACKET"}},
        {"a\xF0\x9F\x98\x80z", "a\xF0\x9F\x98\x80z", std::nullopt},
        {"+\xD0\xB6", "\xD0\xB6", Keys{"[Shift", "+PACKET", "]Shift"}},
        {"1 2", "1 2", Keys{"1", "SPACE", "2"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("notation: " + c.notation);
        window_->clear();
        injector_.sendKeys(c.notation);
        ASSERT_TRUE(test::waitForEndMark(*window_));
        EXPECT_EQ(window_->text, c.text);
        if (c.keys) {
            EXPECT_EQ(window_->keys, *c.keys);
        }
    }
}

// Presses CapsLock without the code under test and waits until this thread sees it.
void toggleCapsLock(test::RecordingWindow& window) {
    INPUT inputs[2] = {};
    inputs[0].type = INPUT_KEYBOARD;
    inputs[0].ki.wVk = VK_CAPITAL;
    inputs[1] = inputs[0];
    inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, inputs, sizeof(INPUT));
    test::waitForEndMark(window);
}

TEST_F(SendInputKeyInjectorTest, LettersKeepTheirCaseWhileCapsLockIsOn) {
    toggleCapsLock(*window_);
    ASSERT_TRUE(GetKeyState(VK_CAPITAL) & 1);
    window_->clear();
    injector_.sendKeys("aB{x 2}1!");
    const bool arrived = test::waitForEndMark(*window_);
    toggleCapsLock(*window_);
    ASSERT_TRUE(arrived);
    EXPECT_FALSE(GetKeyState(VK_CAPITAL) & 1);
    EXPECT_EQ(window_->text, "aBxx1!");
}

TEST_F(SendInputKeyInjectorTest, MalformedStringTypesNothing) {
    for (const std::string bad : {"ab{LEFT", "ab+", "(ab", "ab{NOSUCHKEY}", "{LEFT 99999}"}) {
        SCOPED_TRACE("notation: " + bad);
        window_->clear();
        try {
            injector_.sendKeys(bad);
            ADD_FAILURE() << "accepted";
        } catch (const PlatformError& e) {
            EXPECT_EQ(e.number(), errors::InvalidArgument);
        }
        ASSERT_TRUE(test::waitForEndMark(*window_));
        EXPECT_EQ(window_->text, "");
        EXPECT_TRUE(window_->keys.empty());
    }
}

TEST_F(SendInputKeyInjectorTest, KeysGoToTheWindowInFront) {
    test::RecordingWindow other(L"KrT" + std::to_wstring(GetCurrentProcessId()) + L" other");
    windows_.activate(other.handle());
    ASSERT_TRUE(test::pumpUntil([&] { return GetForegroundWindow() == other.hwnd(); }));
    window_->clear();
    injector_.sendKeys("one");
    ASSERT_TRUE(test::waitForEndMark(other));
    EXPECT_EQ(other.text, "one");
    EXPECT_EQ(window_->text, "");

    windows_.activate(window_->handle());
    ASSERT_TRUE(test::pumpUntil([&] { return GetForegroundWindow() == window_->hwnd(); }));
    injector_.sendKeys("two");
    ASSERT_TRUE(test::waitForEndMark(*window_));
    EXPECT_EQ(window_->text, "two");
    EXPECT_EQ(other.text, "one");
}

}  // namespace
}  // namespace keyrelay
