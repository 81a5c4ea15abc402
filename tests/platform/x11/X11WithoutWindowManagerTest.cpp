// gtest before Xlib: Xlib's None and Bool macros break its templates.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "PrivateXServer.h"
#include "TestWindow.h"
#include "platform/NativeServices.h"
#include "platform/PlatformError.h"
#include "platform/x11/SendEventKeyInjector.h"
#include "platform/x11/X11WindowSystem.h"
#include "platform/x11/XTestKeyInjector.h"

namespace keyrelay {
namespace {

using test::PrivateXServer;

// Windows on a display without a window manager: every top-level window is a child
// of the root, and activation raises and focuses it directly.
class X11WithoutWindowManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(server_.name().empty());
        display_ = X11Display::open(server_.name().c_str());
        windows_ = std::make_unique<X11WindowSystem>(display_);
        // The test's own connection makes the windows, as another program would.
        client_ = XOpenDisplay(server_.name().c_str());
        ASSERT_NE(client_, nullptr);
    }
    void TearDown() override {
        if (client_ != nullptr) {
            XCloseDisplay(client_);
        }
    }

    ::Window makeWindow(const char* title, bool map, bool overrideRedirect = false) {
        XSetWindowAttributes attributes = {};
        attributes.override_redirect = overrideRedirect ? True : False;
        ::Window window =
            XCreateWindow(client_, DefaultRootWindow(client_), 10, 20, 200, 100, 1, CopyFromParent,
                          InputOutput, CopyFromParent, CWOverrideRedirect, &attributes);
        XStoreName(client_, window, title);
        if (map) {
            XMapWindow(client_, window);
        }
        XSync(client_, False);
        return window;
    }

    std::vector<std::string> listedTitles() {
        std::vector<std::string> titles;
        for (const TopLevelWindow& window : windows_->topLevelWindows()) {
            titles.push_back(window.title);
        }
        return titles;
    }

    ::Window focus() {
        ::Window focused = None;
        int revert = 0;
        XGetInputFocus(client_, &focused, &revert);
        return focused;
    }

    PrivateXServer server_;
    std::shared_ptr<X11Display> display_;
    std::unique_ptr<X11WindowSystem> windows_;
    Display* client_ = nullptr;
};

TEST_F(X11WithoutWindowManagerTest, ListsOnlyShownOrdinaryWindowsTopmostFirst) {
    ::Window bottom = makeWindow("Bottom", true);
    makeWindow("Never shown", false);
    makeWindow("Tooltip", true, true);
    makeWindow("Top", true);
    EXPECT_EQ(listedTitles(), (std::vector<std::string>{"Top", "Bottom"}));

    XRaiseWindow(client_, bottom);
    XSync(client_, False);
    EXPECT_EQ(listedTitles(), (std::vector<std::string>{"Bottom", "Top"}));
}

TEST_F(X11WithoutWindowManagerTest, ActivationRaisesAndFocusesTheWindow) {
    ::Window first = makeWindow("First", true);
    ::Window second = makeWindow("Second", true);
    windows_->activate(first);
    EXPECT_EQ(focus(), first);
    EXPECT_EQ(listedTitles().front(), "First");
    windows_->activate(second);
    EXPECT_EQ(focus(), second);
    EXPECT_EQ(listedTitles().front(), "Second");
}

TEST_F(X11WithoutWindowManagerTest, ActivationShowsAHiddenWindow) {
    ::Window hidden = makeWindow("Hidden", false);
    windows_->activate(hidden);
    EXPECT_EQ(focus(), hidden);
    EXPECT_EQ(listedTitles(), (std::vector<std::string>{"Hidden"}));
}

TEST_F(X11WithoutWindowManagerTest, RectangleIncludesTheBorder) {
    ::Window window = makeWindow("Bordered", true);
    // Created at (10, 20), 200 x 100, border 1: the border lies outside that box.
    EXPECT_EQ(windows_->windowRect(window), (ScreenRect{10, 20, 212, 122}));
}

TEST_F(X11WithoutWindowManagerTest, AlternatePathWithoutAFocusedWindowFails) {
    makeWindow("Unfocused", true);
    XSetInputFocus(client_, None, RevertToNone, CurrentTime);
    XSync(client_, False);
    SendEventKeyInjector keys(display_);
    try {
        keys.sendKeys("a");
        ADD_FAILURE() << "typed without a focused window";
    } catch (const PlatformError& e) {
        EXPECT_EQ(e.number(), errors::InvalidArgument);
    }
}

TEST_F(X11WithoutWindowManagerTest, StandardPathTypesIntoTheActivatedWindow) {
    // The test window connects to $DISPLAY: point it at this server for its lifetime.
    const char* saved = std::getenv("DISPLAY");
    std::string previous = saved != nullptr ? saved : "";
    setenv("DISPLAY", server_.name().c_str(), 1);
    {
        test::TestWindow target("Typed without a window manager");
        makeWindow("Above it", true);
        windows_->activate(target.handle());
        XTestKeyInjector(display_).sendKeys("a{PRTSC}+b");
        target.settle();
        std::vector<unsigned long> pressed;
        for (const auto& key : target.keys()) {
            if (key.press && !IsModifierKey(key.keysym)) {
                pressed.push_back(key.keysym);
            }
        }
        EXPECT_EQ(pressed, (std::vector<unsigned long>{XK_a, XK_Print, XK_B}));
    }
    if (saved != nullptr) {
        setenv("DISPLAY", previous.c_str(), 1);
    } else {
        unsetenv("DISPLAY");
    }
}

TEST(X11Connection, DisplayWithoutXTestIsUnavailable) {
    PrivateXServer server({"-extension", "XTEST"});
    ASSERT_FALSE(server.name().empty());
    try {
        X11Display::open(server.name().c_str());
        ADD_FAILURE() << "opened a display without XTest";
    } catch (const PlatformError& e) {
        EXPECT_EQ(e.number(), errors::DeviceUnavailable);
        EXPECT_NE(e.description().find("XTest"), std::string::npos) << e.description();
    }
}

TEST(X11Connection, NoDisplayIsUnavailable) {
    const char* saved = std::getenv("DISPLAY");
    std::string previous = saved != nullptr ? saved : "";
    unsetenv("DISPLAY");
    try {
        createNativeServices();
        ADD_FAILURE() << "services without a display";
    } catch (const PlatformError& e) {
        EXPECT_EQ(e.number(), errors::DeviceUnavailable);
        EXPECT_NE(e.description().find("DISPLAY"), std::string::npos) << e.description();
    }
    if (saved != nullptr) {
        setenv("DISPLAY", previous.c_str(), 1);
    }
}

}  // namespace
}  // namespace keyrelay
