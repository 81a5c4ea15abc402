// The X11 services on the shared desktop (Xvfb + openbox) with real recording windows
// (tests/support/X11TestWindow.cpp), and on an Xvfb of the test's own without a window
// manager or XTest. gtest before Xlib: Xlib's None and Bool macros break its templates.
#include <gtest/gtest.h>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <signal.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include "platform/NativeServices.h"
#include "platform/PlatformError.h"
#include "platform/x11/SendEventKeyInjector.h"
#include "platform/x11/X11Keymap.h"
#include "platform/x11/X11Mouse.h"
#include "platform/x11/X11WindowSystem.h"
#include "platform/x11/XTestKeyInjector.h"
#include "support/PlatformFailure.h"

namespace keyrelay {
namespace {

using Strings = std::vector<std::string>;

// Polls `done` for up to 30 s: the machine may be busy, and only a fault should time out.
bool waitUntil(const std::function<bool()>& done) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!done() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return done();
}

// The lines of a log file that begin with `prefix`, without it.
Strings logLines(const std::filesystem::path& path, const std::string& prefix) {
    Strings result;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        if (line.rfind(prefix, 0) == 0) {
            result.push_back(line.substr(prefix.size()));
        }
    }
    return result;
}

using test::failure;

::Window focusOf(Display* dpy) {
    ::Window focus = None;
    int revert = 0;
    XGetInputFocus(dpy, &focus, &revert);
    return focus;
}

// The titles of the listed windows, topmost first; only those of `wanted` unless empty.
Strings titles(X11WindowSystem& windows, const std::vector<::Window>& wanted = {}) {
    Strings result;
    for (const TopLevelWindow& window : windows.topLevelWindows()) {
        if (wanted.empty() || std::count(wanted.begin(), wanted.end(), window.handle) != 0) {
            result.push_back(window.title);
        }
    }
    return result;
}

// The recording window in a process of its own, started on `display` (empty: $DISPLAY).
class TestWindow {
public:
    explicit TestWindow(const std::string& title, const std::string& options = "",
                        const std::string& display = "")
        : display_(XOpenDisplay(display.empty() ? nullptr : display.c_str())) {
        std::string command = (display.empty() ? "" : "DISPLAY=" + display + " ") +
                              X11_TEST_WINDOW " " + options + " '" + title + "' " + log_ + " &";
        EXPECT_EQ(std::system(command.c_str()), 0);
        EXPECT_TRUE(waitUntil([&] { return !lines("mapped").empty(); })) << title;
        window_ = std::stoul(lines("window 0x").at(0), nullptr, 16);
    }
    ~TestWindow() {
        kill(std::stoi(lines("pid ").at(0)), SIGTERM);
        XCloseDisplay(display_);
        std::filesystem::remove(log_);
    }
    ::Window handle() const { return window_; }
    Strings lines(const std::string& prefix) const { return logLines(log_, prefix); }

    // The presses of ordinary keys while `send` ran, as "<keysym name>[+S][+C][+A] ...";
    // Shift is left out for characters, whose keysym already says whether it was used.
    std::string typed(const std::function<void()>& send, bool sendEvent = false) {
        std::size_t before = (settle(), lines("key ").size());
        send();
        settle();
        Strings keys = lines("key ");
        std::string tokens;
        long held = 0;
        for (auto line = keys.begin() + static_cast<long>(before); line != keys.end(); ++line) {
            unsigned long keysym = 0, state = 0, synthetic = 0;
            char kind[16] = {};
            std::sscanf(line->c_str(), "%15s keycode=%*u keysym=0x%lx state=0x%lx send=%lu", kind,
                        &keysym, &state, &synthetic);
            EXPECT_EQ(synthetic != 0, sendEvent) << *line;
            held += std::string(kind) == "press" ? 1 : -1;
            if (std::string(kind) == "press" && !X11Keymap::isHeldModifier(keysym)) {
                const char* name = XKeysymToString(keysym);
                bool character = (keysym >= 0x20 && keysym < 0x100) || keysym >= 0x1000000;
                tokens += (tokens.empty() ? "" : " ") + std::string(name != nullptr ? name : "?");
                tokens += std::string((state & ShiftMask) && !character ? "+S" : "") +
                          (state & ControlMask ? "+C" : "") + (state & Mod1Mask ? "+A" : "");
            }
        }
        EXPECT_EQ(held, 0) << "every key is released";
        return tokens;
    }

private:
    void settle() {
        XEvent event = {};
        event.xclient.type = ClientMessage;
        event.xclient.window = window_;
        event.xclient.message_type = XInternAtom(display_, "KEYRELAY_TEST_MARK", False);
        event.xclient.format = 32;
        event.xclient.data.l[0] = ++marks_;
        XSendEvent(display_, window_, False, 0, &event);  // to the window's own client
        XSync(display_, False);
        EXPECT_TRUE(waitUntil([&] {
            Strings marks = lines("mark ");
            return std::find(marks.begin(), marks.end(), std::to_string(marks_)) != marks.end();
        }));
    }

    Display* display_;
    const std::string log_ = "/tmp/keyrelay-x11test-" + std::to_string(getpid()) + "-" +
                             std::to_string(reinterpret_cast<std::uintptr_t>(this)) + ".log";
    ::Window window_ = None;
    long marks_ = 0;
};

class X11DesktopTest : public ::testing::Test {
protected:
    Display* dpy() { return display_->get(); }

    // activate() waits for the focus only briefly; a busy window manager may take longer.
    void activate(::Window window) {
        windows_.activate(window);
        ASSERT_TRUE(waitUntil([&] { return display_->isInside(focusOf(dpy()), window); }));
    }

    std::shared_ptr<X11Display> display_ = X11Display::open();
    X11WindowSystem windows_{display_};
    XTestKeyInjector standard_{display_};
    SendEventKeyInjector alternate_{display_};
};

std::vector<KeySym> coreKeymap(Display* dpy) {
    int perKey = 0;  // keycodes 8 to 255, all that X has
    KeySym* syms = XGetKeyboardMapping(dpy, 8, 248, &perKey);
    std::vector<KeySym> copy(syms, syms + 248 * perKey);
    XFree(syms);
    return copy;
}

std::string keysDown(Display* dpy) {
    char down[32];
    XQueryKeymap(dpy, down);
    return std::string(down, sizeof down);
}

TEST_F(X11DesktopTest, EveryStrokeArrivesInOrderWithItsModifiersOnBothPaths) {
    // Greek and Cyrillic letters, far more than the spare keycodes of a keyboard map.
    std::string manyNames;
    for (const char32_t* c = U"αβγδεζηθικλμνξοπρστυφχψωабвгдежзий"; *c != 0; ++c) {
        manyNames += (manyNames.empty() ? "" : " ") + std::string(XKeysymToString(0x1000000 | *c));
    }
    std::vector<std::pair<std::string, std::string>> cases = {
        {"ab 1Hi!@#$&*_:\"<>?|",
         "a b space 1 H i exclam at numbersign dollar ampersand asterisk underscore colon "
         "quotedbl less greater question bar"},
        {"+ab^cd%e+(ec)^(xy)+^a%+b", "A b c+C d e+A E C x+C y+C A+C B+A"},
        {"a~{+}{^}{%}{~}{(}{)}{{}{}}[x]\t\n\r{h 2}",
         "a Return plus asciicircum percent asciitilde parenleft parenright braceleft braceright "
         "bracketleft x bracketright Tab Return Return h h"},
        {"{BS}{BREAK}{DEL}{DOWN}{END}{ENTER}{ESC}{HELP}{HOME}{INSERT}{LEFT}{PGDN}{PGUP}{RIGHT}"
         "{TAB}{UP}{F1}{F12}{F16}{NUMLOCK 2}{SCROLLLOCK 2}+{LEFT}^{HOME}%{F2}",
         "BackSpace Break+C Delete Down End Return Escape Help Home Insert Left Next Prior Right "
         "Tab Up F1 F12 F16 Num_Lock Num_Lock Scroll_Lock Scroll_Lock Left+S Home+C F2+A"},
        // Characters the keyboard map lacks go out on spare keycodes, the map restored.
        {"xéy€Ωz{é 2}", "x eacute y U20AC U03A9 z eacute eacute"},
        {"αβγδεζηθικλμνξοπρστυφχψωабвгдежзий", manyNames},
    };
    for (const char* malformed : {"abc{ENTER", "abc{NOSUCHKEY}", "ab+", "a\x01"}) {
        cases.push_back({malformed, ""});  // refused before the first key goes out
    }
    TestWindow window("Keyrelay key test");
    activate(window.handle());
    for (bool alternate : {false, true}) {
        KeyInjector& keys = alternate ? static_cast<KeyInjector&>(alternate_) : standard_;
        for (const auto& [text, expected] : cases) {
            SCOPED_TRACE((alternate ? "alternate path: " : "standard path: ") + text);
            auto before = coreKeymap(dpy());
            long refused = 0;
            EXPECT_EQ(window.typed([&] { refused = failure([&] { keys.sendKeys(text); }).first; },
                                   alternate),
                      expected);
            EXPECT_EQ(refused, expected.empty() ? errors::InvalidArgument : 0);
            EXPECT_EQ(coreKeymap(dpy()), before) << "the keyboard map is as it was";
            // The alternate path carries its modifiers in the events only.
            EXPECT_EQ(keysDown(dpy()), std::string(32, '\0')) << "a key of the keyboard stays down";
        }
    }

    // Neither the user's CapsLock nor the modifiers the user holds change what is typed.
    auto capsLocked = [&] {
        XkbStateRec state = {};
        XkbGetState(dpy(), XkbUseCoreKbd, &state);
        return (state.locked_mods & LockMask) != 0;
    };
    KeyCode shift = XKeysymToKeycode(dpy(), XK_Shift_L);
    KeyCode control = XKeysymToKeycode(dpy(), XK_Control_R);
    XkbLockModifiers(dpy(), XkbUseCoreKbd, LockMask, LockMask);
    XTestFakeKeyEvent(dpy(), shift, True, CurrentTime);
    XTestFakeKeyEvent(dpy(), control, True, CurrentTime);
    const std::string held = keysDown(dpy());
    EXPECT_EQ(window.typed([&] { standard_.sendKeys("aB+c"); }), "a B C");
    EXPECT_TRUE(capsLocked() && keysDown(dpy()) == held) << "the user's lock and keys are kept";
    XTestFakeKeyEvent(dpy(), control, False, CurrentTime);
    XTestFakeKeyEvent(dpy(), shift, False, CurrentTime);
    standard_.sendKeys("{CAPSLOCK}");
    EXPECT_FALSE(capsLocked()) << "CapsLock in the string toggles the lock";
}

// Each character goes out on the key a typist would use, and the characters the map
// lacks on its lowest spare keycodes: Wine drops the keys of the extra keys 187/188
// (the other parentheses) and of keycodes past about 162, such as the spares 183/184.
// Keycodes of the test display's map (pc105, us, evdev).
TEST_F(X11DesktopTest, CharactersGoOutOnMainBlockKeysAndTheLowestSpareKeycodes) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"{(}{)}", "18+S 19+S"},
        {"<1a", "94 10 38"},
        {"C[éñ]D", "54+S 34 93 97 35 40+S"},
        {"é ñ ü ° € “ ”", "93 65 97 65 103 65 120 65 132 65 93 65 97"},
        // More characters than those spares: a second round of the map, from the lowest.
        {"αβγδεζηθι", "93 97 103 120 132 93 97 103 120"},
    };
    TestWindow window("Keyrelay key choice");
    activate(window.handle());
    for (const auto& [text, expected] : cases) {
        SCOPED_TRACE(text);
        std::size_t before = window.lines("key press ").size();
        window.typed([&] { standard_.sendKeys(text); });
        Strings presses = window.lines("key press ");
        std::string keys;
        for (auto line = presses.begin() + static_cast<long>(before); line != presses.end();
             ++line) {
            unsigned keycode = 0, state = 0;
            unsigned long keysym = 0;
            std::sscanf(line->c_str(), "keycode=%u keysym=0x%lx state=0x%x", &keycode, &keysym,
                        &state);
            if (!X11Keymap::isHeldModifier(keysym)) {
                keys += (keys.empty() ? "" : " ") + std::to_string(keycode) +
                        (state & ShiftMask ? "+S" : "");
            }
        }
        EXPECT_EQ(keys, expected);
    }
}

// xterm accepts synthetic events only when told to. What is typed reaches the program
// reading the terminal; Ctrl+D at the start of a line ends it, and the xterm with it.
TEST_F(X11DesktopTest, TextTypedIntoAnXtermReachesItsProgram) {
    const std::string out = "/tmp/keyrelay-xterm-" + std::to_string(getpid()) + ".txt";
    const std::string command =
        "LC_ALL=C.UTF-8 xterm -u8 -T 'Keyrelay xterm' -xrm "
        "'XTerm*allowSendEvents: true' -e sh -c 'cat > " +
        out + "' &";
    EXPECT_EQ(std::system(command.c_str()), 0);
    WindowHandle xterm = 0;
    EXPECT_TRUE(waitUntil([&] {
        for (const TopLevelWindow& window : windows_.topLevelWindows()) {
            xterm = window.title == "Keyrelay xterm" ? window.handle : xterm;
        }
        return xterm != 0;
    }));
    activate(static_cast<::Window>(xterm));
    standard_.sendKeys("Hello, World! 14025.5 {+}{(}x{)} é€~");
    alternate_.sendKeys("second {(}é{)}{ENTER}^d");
    const Strings expected = {"Hello, World! 14025.5 +(x) é€", "second (é)"};
    EXPECT_TRUE(waitUntil([&] { return logLines(out, "") == expected; }));
    std::filesystem::remove(out);
}

// Whole titles, whichever property holds them; activation raises, focuses and restores.
TEST_F(X11DesktopTest, ListsWholeTitlesAndActivationRaisesFocusesAndRestores) {
    // a's title is in _NET_WM_NAME (UTF-8), b's only in WM_NAME, in Latin-1.
    const std::string titleA = "CW Skimmer – Ωmega 7.000 MHz [default]", titleB = "Café Latin-1";
    TestWindow a(titleA), b(titleB, "--wm-name-only --latin1-title");
    for (const TestWindow* top : {&a, &b, &a}) {
        activate(top->handle());
        Strings expected = top == &a ? Strings{titleA, titleB} : Strings{titleB, titleA};
        EXPECT_TRUE(waitUntil([&] {
            return titles(windows_, {a.handle(), b.handle()}) == expected;
        })) << "the activated window is listed first";
    }
    XIconifyWindow(dpy(), b.handle(), DefaultScreen(dpy()));
    XFlush(dpy());
    ASSERT_TRUE(waitUntil([&] { return display_->wmState(b.handle()) == IconicState; }));
    EXPECT_EQ(titles(windows_, {b.handle()}).size(), 1u) << "a minimised window is listed";
    activate(b.handle());
    EXPECT_TRUE(waitUntil([&] { return display_->wmState(b.handle()) == NormalState; }));

    ::Window gone = XCreateSimpleWindow(dpy(), display_->root(), 0, 0, 10, 10, 0, 0, 0);
    XDestroyWindow(dpy(), gone);
    XSync(dpy(), False);
    for (auto [number, description] :
         {failure([&] { windows_.activate(gone); }), failure([&] { windows_.windowRect(gone); })}) {
        EXPECT_EQ(number, BadWindow);
        EXPECT_NE(description.find("BadWindow"), std::string::npos) << description;
    }
}

// The rectangle is the whole frame that the window manager put around the window (the
// child of the root that holds it), and a click at a point of it arrives there.
TEST_F(X11DesktopTest, RectangleIsTheFrameAndAClickLandsAtTheRequestedPoint) {
    TestWindow window("Measured and clicked");
    activate(window.handle());
    ScreenRect rect = windows_.windowRect(window.handle());
    ::Window frame = window.handle(), root = None, parent = None, *children = nullptr;
    for (unsigned count = 0; XQueryTree(dpy(), frame, &root, &parent, &children, &count) &&
                             (XFree(children), parent != root);) {
        frame = parent;
    }
    XWindowAttributes f;
    XGetWindowAttributes(dpy(), frame, &f);
    int b = f.border_width, x = rect.left + 25, y = rect.top + 70, clientX = 0, clientY = 0;
    EXPECT_EQ(rect, (ScreenRect{f.x, f.y, f.x + f.width + 2 * b, f.y + f.height + 2 * b}));

    XTranslateCoordinates(dpy(), window.handle(), root, 0, 0, &clientX, &clientY, &parent);
    X11Mouse mouse(display_);
    mouse.moveTo(x, y);
    mouse.leftDown();
    mouse.leftUp();
    // openbox grabs the button (click to focus) and lets the press through in its own time.
    EXPECT_TRUE(waitUntil([&] { return !window.lines("release ").empty(); }));
    const std::string at = std::to_string(x - clientX) + " " + std::to_string(y - clientY) + " " +
                           std::to_string(x) + " " + std::to_string(y);
    EXPECT_EQ(window.lines("click "), Strings{at});
}

// Minimised at the start by the native services (X11StartMinimizer).
TEST_F(X11DesktopTest, ProgramStartedMinimisedEndsIconified) {
    auto services = createNativeServices();
    const std::string log = "keyrelay-start-" + std::to_string(getpid()) + ".log";
    services->processes().start("/tmp", X11_TEST_WINDOW, "Started " + log, WindowState::Minimized);
    EXPECT_TRUE(waitUntil([&] {
        Strings states = logLines("/tmp/" + log, "wmstate ");
        return !states.empty() && states.back() == std::to_string(IconicState);
    }));
    kill(std::stoi(logLines("/tmp/" + log, "pid ").at(0)), SIGTERM);
    std::filesystem::remove("/tmp/" + log);
}

// Without a window manager every top-level window is a child of the root, and activation
// raises and focuses it directly. Without XTest the display is refused for the services.
TEST(X11WithoutWindowManager, ListsShownOrdinaryWindowsTopmostFirstAndActivatesDirectly) {
    // The shell prints its process id, which Xvfb keeps, and Xvfb its display number. No
    // reset: that would refuse connections for a while after the first one below closes.
    int pid = -1, number = -1;
    FILE* xvfb = popen(
        "echo $$; exec Xvfb -displayfd 1 -nolisten tcp -noreset -extension XTEST 2>/dev/null", "r");
    std::shared_ptr<void> end(nullptr, [&](void*) {
        kill(pid, SIGTERM);
        pclose(xvfb);
    });
    ASSERT_EQ(std::fscanf(xvfb, "%d %d", &pid, &number), 2) << "Xvfb did not start";
    const std::string server = ":" + std::to_string(number);
    for (auto [name, missing] : std::vector<std::pair<std::string, std::string>>{
             {server, "XTest"}, {":999", "X display"}}) {
        auto [code, description] = failure([&] { X11Display::open(name.c_str()); });
        EXPECT_EQ(code, errors::DeviceUnavailable) << missing;
        EXPECT_NE(description.find(missing), std::string::npos) << description;
    }
    auto display = std::make_shared<X11Display>(XOpenDisplay(server.c_str()));
    X11WindowSystem windows(display);
    SendEventKeyInjector keys(display);
    Display* client = XOpenDisplay(server.c_str());  // another program's connection
    auto makeWindow = [&](const char* title, bool overrideRedirect = false) {
        XSetWindowAttributes attributes = {};
        attributes.override_redirect = overrideRedirect;
        ::Window window = XCreateWindow(client, DefaultRootWindow(client), 10, 20, 200, 100, 1, 0,
                                        InputOutput, nullptr, CWOverrideRedirect, &attributes);
        XStoreName(client, window, title);
        return window;
    };
    ::Window bottom = makeWindow("Bottom"), hidden = makeWindow("Never shown");
    for (::Window shown : {bottom, makeWindow("Tooltip", true), makeWindow("Top")}) {
        XMapWindow(client, shown);
    }
    XSync(client, False);
    EXPECT_EQ(titles(windows), (Strings{"Top", "Bottom"}));
    // Created at (10, 20), 200 x 100, border 1: the border lies outside that box.
    EXPECT_EQ(windows.windowRect(bottom), (ScreenRect{10, 20, 212, 122}));
    windows.activate(bottom);
    EXPECT_EQ(focusOf(client), bottom);
    EXPECT_EQ(titles(windows), (Strings{"Bottom", "Top"}));
    windows.activate(hidden);
    EXPECT_EQ(focusOf(client), hidden);
    EXPECT_EQ(titles(windows), (Strings{"Never shown", "Bottom", "Top"}));

    {
        // openbox grabs Print on the shared desktop; here it reaches the window.
        TestWindow target("Typed without a window manager", "", server);
        windows.activate(target.handle());
        EXPECT_EQ(target.typed([&] { keys.sendKeys("a{PRTSC}+b"); }, true), "a Print B");
    }
    XSetInputFocus(client, None, RevertToNone, CurrentTime);
    XSync(client, False);
    EXPECT_EQ(failure([&] { keys.sendKeys("a"); }).first, errors::InvalidArgument)
        << "typed without a focused window";
    XCloseDisplay(client);
}

}  // namespace
}  // namespace keyrelay
