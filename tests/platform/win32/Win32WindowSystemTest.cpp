#include "platform/win32/Win32WindowSystem.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "RecordingWindow.h"
#include "platform/PlatformError.h"

namespace keyrelay {
namespace {

using test::RecordingWindow;

// A prefix of this run's own, so windows of other programs on the desktop never match.
std::string runTag() {
    return "KrT" + std::to_string(GetCurrentProcessId());
}

// The lookups the delivery layer makes on top of the listing.
std::optional<WindowHandle> exactThenPrefix(const std::vector<TopLevelWindow>& windows,
                                            const std::string& title) {
    for (const auto& w : windows) {
        if (w.title == title) {
            return w.handle;
        }
    }
    for (const auto& w : windows) {
        if (w.title.rfind(title, 0) == 0) {
            return w.handle;
        }
    }
    return std::nullopt;
}

std::optional<WindowHandle> firstContaining(const std::vector<TopLevelWindow>& windows,
                                            const std::string& fragment) {
    for (const auto& w : windows) {
        if (w.title.find(fragment) != std::string::npos) {
            return w.handle;
        }
    }
    return std::nullopt;
}

// Titles of this run's windows, topmost first.
std::vector<std::string> ownTitles(Win32WindowSystem& system) {
    std::vector<std::string> titles;
    for (const auto& w : system.topLevelWindows()) {
        if (w.title.find(runTag()) != std::string::npos) {
            titles.push_back(w.title);
        }
    }
    return titles;
}

class Win32WindowSystemTest : public ::testing::Test {
protected:
    // A new window; a shown one is activated, and the activation has settled when this
    // returns (under Wine it travels through the X window manager and back).
    std::unique_ptr<RecordingWindow> open(const std::string& title, bool visible = true) {
        auto window = std::make_unique<RecordingWindow>(test::wide(title), visible);
        EXPECT_NE(window->hwnd(), nullptr);
        if (visible) {
            HWND hwnd = window->hwnd();
            EXPECT_TRUE(test::pumpUntil([&] { return GetForegroundWindow() == hwnd; }));
        }
        return window;
    }

    // Puts the window on top of the z-order without the code under test.
    void raise(RecordingWindow& window) {
        SetWindowPos(window.hwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        const std::string title = test::utf8(titleOf(window));
        EXPECT_TRUE(test::pumpUntil([&] {
            const auto titles = ownTitles(system);
            return !titles.empty() && titles.front() == title;
        }));
    }

    static std::wstring titleOf(RecordingWindow& window) {
        wchar_t buffer[1024] = {};
        GetWindowTextW(window.hwnd(), buffer, 1024);
        return buffer;
    }

    Win32WindowSystem system;
};

TEST_F(Win32WindowSystemTest, ListsWindowsTopmostFirstWithWholeTitles) {
    const std::string tag = runTag();
    const std::string longTitle = tag + " " + std::string(400, 'x') + " end";
    const std::string unicodeTitle = tag + " Bandkarte \xC3\xA4 \xE2\x82\xAC \xD0\xB6";
    auto a = open(tag + " first");
    auto b = open(longTitle);
    auto c = open(unicodeTitle);
    raise(*a);
    raise(*b);
    raise(*c);

    EXPECT_EQ(ownTitles(system),
              (std::vector<std::string>{unicodeTitle, longTitle, tag + " first"}));

    raise(*a);
    EXPECT_EQ(ownTitles(system),
              (std::vector<std::string>{tag + " first", unicodeTitle, longTitle}));
}

TEST_F(Win32WindowSystemTest, LeavesOutHiddenWindows) {
    const std::string tag = runTag();
    auto shown = open(tag + " shown");
    auto hidden = open(tag + " hidden", /*visible=*/false);
    EXPECT_EQ(ownTitles(system), (std::vector<std::string>{tag + " shown"}));

    ShowWindow(hidden->hwnd(), SW_SHOWNOACTIVATE);
    test::pumpUntil([] { return true; });
    const auto titles = ownTitles(system);
    EXPECT_NE(std::find(titles.begin(), titles.end(), tag + " hidden"), titles.end());
}

TEST_F(Win32WindowSystemTest, FragmentMatchesAnywhereInTheTitleNearestTheTopAndCaseCounts) {
    const std::string tag = runTag();
    auto starting = open(tag + " CW Skimmer - 7 MHz");
    auto middle = open("Band map of " + tag + " CW Skimmer");
    raise(*starting);
    raise(*middle);

    const std::string fragment = tag + " CW Skimmer";
    EXPECT_EQ(firstContaining(system.topLevelWindows(), fragment), middle->handle());
    raise(*starting);
    EXPECT_EQ(firstContaining(system.topLevelWindows(), fragment), starting->handle());
    EXPECT_EQ(firstContaining(system.topLevelWindows(), tag + " cw skimmer"), std::nullopt);
}

TEST_F(Win32WindowSystemTest, ExactTitleIsActivatedBeforeAHigherPrefixMatch) {
    const std::string tag = runTag();
    const std::string title = tag + " CW Skimmer";
    auto exact = open(title);
    auto longer = open(title + " - 14 MHz");
    raise(*exact);
    raise(*longer);
    ASSERT_EQ(ownTitles(system).front(), title + " - 14 MHz");

    const auto target = exactThenPrefix(system.topLevelWindows(), title);
    ASSERT_EQ(target, exact->handle());
    system.activate(*target);
    test::pumpUntil([&] { return GetForegroundWindow() == exact->hwnd(); });
    EXPECT_EQ(GetForegroundWindow(), exact->hwnd());
    EXPECT_EQ(ownTitles(system).front(), title);

    // Only a prefix given: the topmost window that begins with it.
    raise(*longer);
    EXPECT_EQ(exactThenPrefix(system.topLevelWindows(), tag + " CW Sk"), longer->handle());
    EXPECT_EQ(exactThenPrefix(system.topLevelWindows(), tag + " cw sk"), std::nullopt);
}

TEST_F(Win32WindowSystemTest, ActivatingAMinimisedWindowRestoresIt) {
    auto other = open(runTag() + " other");
    auto target = open(runTag() + " minimised");
    ShowWindow(target->hwnd(), SW_MINIMIZE);
    system.activate(other->handle());
    test::pumpUntil(
        [&] { return IsIconic(target->hwnd()) && GetForegroundWindow() == other->hwnd(); });
    ASSERT_TRUE(IsIconic(target->hwnd()));

    system.activate(target->handle());
    test::pumpUntil([&] { return GetForegroundWindow() == target->hwnd(); });
    EXPECT_FALSE(IsIconic(target->hwnd()));
    EXPECT_EQ(GetForegroundWindow(), target->hwnd());
    EXPECT_EQ(GetFocus(), target->hwnd());
}

TEST_F(Win32WindowSystemTest, WindowRectIsTheOuterRectangleInScreenPixels) {
    auto window = open(runTag() + " measured");
    RECT client{};
    GetClientRect(window->hwnd(), &client);
    POINT origin{0, 0};
    ClientToScreen(window->hwnd(), &origin);

    const ScreenRect rect = system.windowRect(window->handle());
    // The frame surrounds the client area.
    EXPECT_LE(rect.left, origin.x);
    EXPECT_LT(rect.top, origin.y);  // the title bar
    EXPECT_GE(rect.right, origin.x + client.right);
    EXPECT_GE(rect.bottom, origin.y + client.bottom);
    EXPECT_GT(rect.right - rect.left, client.right);
}

TEST_F(Win32WindowSystemTest, AWindowThatIsGoneFailsWithTheSystemsNumber) {
    auto window = open(runTag() + " gone");
    const WindowHandle handle = window->handle();
    window.reset();

    for (const auto& call : std::vector<std::function<void()>>{[&] { system.activate(handle); },
                                                               [&] { system.windowRect(handle); },
                                                               [&] { system.activate(0); }}) {
        try {
            call();
            ADD_FAILURE() << "no failure reported";
        } catch (const PlatformError& e) {
            EXPECT_EQ(e.number(), ERROR_INVALID_WINDOW_HANDLE);
            EXPECT_FALSE(e.description().empty());
        }
    }
}

}  // namespace
}  // namespace keyrelay
