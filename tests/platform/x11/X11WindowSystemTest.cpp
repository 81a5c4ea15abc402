// gtest before Xlib: Xlib's None and Bool macros break its templates.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "TestWindow.h"
#include "platform/PlatformError.h"
#include "platform/x11/X11Mouse.h"
#include "platform/x11/X11WindowSystem.h"

namespace keyrelay {
namespace {

using test::TestWindow;

class X11WindowSystemTest : public ::testing::Test {
protected:
    void SetUp() override {
        display_ = X11Display::open();
        windows_ = std::make_unique<X11WindowSystem>(display_);
    }

    Display* dpy() { return display_->get(); }

    // The listed order of `wanted` among all top-level windows.
    std::vector<::Window> orderOf(const std::vector<::Window>& wanted) {
        std::vector<::Window> order;
        for (const TopLevelWindow& window : windows_->topLevelWindows()) {
            if (std::find(wanted.begin(), wanted.end(), window.handle) != wanted.end()) {
                order.push_back(static_cast<::Window>(window.handle));
            }
        }
        return order;
    }

    std::string titleOf(::Window handle) {
        for (const TopLevelWindow& window : windows_->topLevelWindows()) {
            if (window.handle == handle) {
                return window.title;
            }
        }
        return "<not listed>";
    }

    long wmStateOf(::Window window) { return display_->wmState(window).value_or(-1); }

    std::shared_ptr<X11Display> display_;
    std::unique_ptr<X11WindowSystem> windows_;
};

TEST_F(X11WindowSystemTest, ListsWindowsWithTheirWholeTitles) {
    struct Case {
        std::string title;
        std::vector<std::string> options;
        std::string listed;
    };
    const std::vector<Case> cases = {
        {"CW Skimmer", {}, "CW Skimmer"},
        {"CW Skimmer - 7.000 MHz [default]", {}, "CW Skimmer - 7.000 MHz [default]"},
        {"\xce\xa9mega \xe2\x80\x93 \xc3\x9cn\xc3\xaf"
         "code",
         {},
         "Ωmega – Ünïcode"},
        {"Plain WM_NAME only", {"--wm-name-only"}, "Plain WM_NAME only"},
        {"Caf\xc3\xa9 in Latin-1", {"--wm-name-only", "--latin1-title"}, "Café in Latin-1"},
    };
    std::vector<std::unique_ptr<TestWindow>> shown;
    for (const Case& c : cases) {
        shown.push_back(std::make_unique<TestWindow>(c.title, c.options));
    }
    ASSERT_TRUE(
        TestWindow::waitUntil([&] { return titleOf(shown.back()->handle()) != "<not listed>"; }));
    for (std::size_t i = 0; i < cases.size(); ++i) {
        EXPECT_EQ(titleOf(shown[i]->handle()), cases[i].listed);
    }
}

TEST_F(X11WindowSystemTest, ListsTopmostWindowFirst) {
    TestWindow a("Stack A"), b("Stack B"), c("Stack C");
    std::vector<::Window> all{a.handle(), b.handle(), c.handle()};
    for (const std::vector<::Window>& raised :
         {std::vector<::Window>{a.handle(), c.handle(), b.handle()},
          std::vector<::Window>{b.handle(), a.handle(), c.handle()}}) {
        for (::Window window : raised) {
            windows_->activate(window);
            ASSERT_TRUE(TestWindow::waitForFocus(dpy(), window));
        }
        std::vector<::Window> expected(raised.rbegin(), raised.rend());
        EXPECT_TRUE(TestWindow::waitUntil([&] { return orderOf(all) == expected; }))
            << "the last activated window is listed first";
    }
}

TEST_F(X11WindowSystemTest, ActivatingTheExactTitleFocusesItOverALongerOneOnTop) {
    TestWindow exact("CW Skimmer");
    TestWindow longer("CW Skimmer 2 - prefix only");
    windows_->activate(longer.handle());
    ASSERT_TRUE(TestWindow::waitForFocus(dpy(), longer.handle()));

    // Exact title first, then the first title that begins with it, in listed order.
    auto list = windows_->topLevelWindows();
    auto exactMatch = std::find_if(list.begin(), list.end(),
                                   [](const auto& w) { return w.title == "CW Skimmer"; });
    ASSERT_NE(exactMatch, list.end());
    EXPECT_EQ(exactMatch->handle, exact.handle());
    windows_->activate(exactMatch->handle);

    EXPECT_TRUE(TestWindow::waitForFocus(dpy(), exact.handle()));
    EXPECT_TRUE(TestWindow::waitUntil([&] {
        return orderOf({exact.handle(), longer.handle()}).front() == exact.handle();
    }));
}

TEST_F(X11WindowSystemTest, ActivationRestoresAMinimizedWindow) {
    TestWindow window("Minimised and back");
    XIconifyWindow(dpy(), window.handle(), DefaultScreen(dpy()));
    XFlush(dpy());
    ASSERT_TRUE(TestWindow::waitUntil([&] { return wmStateOf(window.handle()) == IconicState; }));
    EXPECT_NE(titleOf(window.handle()), "<not listed>") << "a minimised window is listed";

    windows_->activate(window.handle());

    EXPECT_TRUE(TestWindow::waitUntil([&] { return wmStateOf(window.handle()) == NormalState; }));
    EXPECT_TRUE(TestWindow::waitForFocus(dpy(), window.handle()));
}

TEST_F(X11WindowSystemTest, WindowThatHasGoneFailsWithBadWindow) {
    ::Window gone = XCreateSimpleWindow(dpy(), display_->root(), 0, 0, 10, 10, 0, 0, 0);
    XDestroyWindow(dpy(), gone);
    XSync(dpy(), False);
    for (auto operation : {+[](X11WindowSystem&w, ::Window h) { w.activate(h); },
                           +[](X11WindowSystem&w, ::Window h) { w.windowRect(h); }}) {
        try {
            operation(*windows_, gone);
            ADD_FAILURE() << "no failure for a window that has gone";
        } catch (const PlatformError& e) {
            EXPECT_EQ(e.number(), BadWindow);
            EXPECT_NE(e.description().find("BadWindow"), std::string::npos) << e.description();
        }
    }
}

// The frame that the window manager put around `window`: the child of the root.
XWindowAttributes frameOf(Display* dpy, ::Window window) {
    ::Window current = window;
    for (;;) {
        ::Window root = None, parent = None;
        ::Window* children = nullptr;
        unsigned int count = 0;
        XQueryTree(dpy, current, &root, &parent, &children, &count);
        if (children != nullptr) {
            XFree(children);
        }
        if (parent == root) {
            break;
        }
        current = parent;
    }
    XWindowAttributes attributes;
    XGetWindowAttributes(dpy, current, &attributes);
    return attributes;
}

TEST_F(X11WindowSystemTest, RectangleIsTheWholeFrameOnTheScreen) {
    TestWindow window("Measured");
    windows_->activate(window.handle());
    ASSERT_TRUE(TestWindow::waitForFocus(dpy(), window.handle()));

    ScreenRect rect = windows_->windowRect(window.handle());

    XWindowAttributes frame = frameOf(dpy(), window.handle());
    int b = frame.border_width;
    EXPECT_EQ(rect, (ScreenRect{frame.x, frame.y, frame.x + frame.width + 2 * b,
                                frame.y + frame.height + 2 * b}));
    EXPECT_GT(frame.height, 240) << "the frame has a title bar";
}

TEST_F(X11WindowSystemTest, ClickLandsAtTheRequestedPointOfTheWindow) {
    TestWindow window("Clicked");
    windows_->activate(window.handle());
    ASSERT_TRUE(TestWindow::waitForFocus(dpy(), window.handle()));
    ScreenRect rect = windows_->windowRect(window.handle());
    int x = rect.left + 25, y = rect.top + 70;

    X11Mouse mouse(display_);
    mouse.moveTo(x, y);
    mouse.leftDown();
    mouse.leftUp();
    // The window manager grabs the button (click to focus) and lets the press through in
    // its own time, so the click may come after a settle marker: wait for it instead.
    EXPECT_TRUE(TestWindow::waitUntil([&] { return window.buttons().size() >= 2; }));

    int clientX = 0, clientY = 0;
    ::Window child = None;
    XTranslateCoordinates(dpy(), window.handle(), display_->root(), 0, 0, &clientX, &clientY,
                          &child);
    auto buttons = window.buttons();
    ASSERT_EQ(buttons.size(), 2u);
    for (const auto& button : buttons) {
        EXPECT_EQ(button.button, 1u);
        EXPECT_EQ(button.rootX, x);
        EXPECT_EQ(button.rootY, y);
        EXPECT_EQ(button.x, x - clientX);
        EXPECT_EQ(button.y, y - clientY);
    }
    EXPECT_TRUE(buttons[0].press);
    EXPECT_FALSE(buttons[1].press);
}

}  // namespace
}  // namespace keyrelay
