// The X11 services on a real X server: the shared desktop (Xvfb + openbox, started by
// scripts/with-display) with real target windows, and an Xvfb of the test's own for what
// that desktop cannot show (no window manager, no XTest). The target window is the
// recording test window (tests/support/X11TestWindow.cpp), which logs what reaches it.
// gtest before Xlib: Xlib's None and Bool macros break its templates.
#include <gtest/gtest.h>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
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

namespace keyrelay {
namespace {

using Strings = std::vector<std::string>;

// Polls `done` until it holds or 30 s have passed; returns its last value. The limit is
// generous: the machine may be busy with builds, and only a fault makes a wait run out.
bool waitUntil(const std::function<bool()>& done) {
    for (auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30); !done();) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
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

// The number and description of the PlatformError that `call` throws; 0 when none.
std::pair<long, std::string> failure(const std::function<void()>& call) {
    try {
        call();
    } catch (const PlatformError& e) {
        return {e.number(), e.description()};
    }
    return {0, ""};
}

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

::Window windowIn(const std::filesystem::path& log) {
    Strings ids = logLines(log, "window 0x");
    return ids.empty() ? None : std::stoul(ids.front(), nullptr, 16);
}

// The recording window in a process of its own, started on `display` (empty: $DISPLAY).
class TestWindow {
public:
    explicit TestWindow(const std::string& title, const std::string& options = "",
                        const std::string& display = "")
        : display_(XOpenDisplay(display.empty() ? nullptr : display.c_str())) {
        std::string command = (display.empty() ? "" : "DISPLAY=" + display + " ") +
                              X11_TEST_WINDOW " " + options + " '" + title + "' " + log_.string() +
                              " &";
        EXPECT_EQ(std::system(command.c_str()), 0);
        EXPECT_TRUE(waitUntil([&] { return !lines("mapped").empty(); })) << title;
        window_ = windowIn(log_);
    }
    ~TestWindow() {
        for (const std::string& pid : lines("pid ")) {
            kill(std::stoi(pid), SIGTERM);
        }
        XCloseDisplay(display_);
        std::filesystem::remove_all(log_.parent_path());
    }
    ::Window handle() const { return window_; }
    Strings lines(const std::string& prefix) const { return logLines(log_, prefix); }

    // Returns once the window has handled every event sent to it before: a marker
    // message goes after them, and the window logs it in turn.
    void settle() {
        XEvent event = {};
        event.xclient.type = ClientMessage;
        event.xclient.window = window_;
        event.xclient.message_type = XInternAtom(display_, "KEYRELAY_TEST_MARK", False);
        event.xclient.format = 32;
        event.xclient.data.l[0] = ++marks_;
        // No event mask: the event goes to the client that created the window.
        XSendEvent(display_, window_, False, 0, &event);
        XSync(display_, False);
        ASSERT_TRUE(waitUntil([&] {
            Strings marks = lines("mark ");
            return std::find(marks.begin(), marks.end(), std::to_string(marks_)) != marks.end();
        }));
    }

private:
    Display* display_;
    std::filesystem::path log_ = [] {
        char name[] = "/tmp/keyrelay-x11test.XXXXXX";
        return std::filesystem::path(mkdtemp(name)) / "window.log";
    }();
    ::Window window_ = None;
    long marks_ = 0;
};

// The presses of ordinary keys as "<keysym name>[+S][+C][+A] ...". Shift is left out for
// characters: their keysym already says whether the level came from it.
std::string pressed(const Strings& keyLines, bool sendEvent) {
    std::string tokens;
    for (const std::string& line : keyLines) {
        unsigned long keysym = 0;
        unsigned state = 0;
        int send = 0;
        char kind[16] = {};
        std::sscanf(line.c_str(), "%15s keycode=%*u keysym=0x%lx state=0x%x send=%d", kind, &keysym,
                    &state, &send);
        EXPECT_EQ(send != 0, sendEvent) << line;
        if (std::string(kind) == "press" && !X11Keymap::isHeldModifier(keysym)) {
            const char* name = XKeysymToString(keysym);
            bool character = (keysym >= 0x20 && keysym < 0x100) || keysym >= 0x1000000;
            tokens += (tokens.empty() ? "" : " ") + std::string(name != nullptr ? name : "?");
            tokens += (state & ShiftMask) && !character ? "+S" : "";
            tokens += state & ControlMask ? "+C" : "";
            tokens += state & Mod1Mask ? "+A" : "";
        }
    }
    return tokens;
}

class X11DesktopTest : public ::testing::Test {
protected:
    Display* dpy() { return display_->get(); }

    // Activates the window and waits for the focus: activate() waits only briefly, and on
    // a busy machine the window manager may take longer.
    void activate(::Window window) {
        windows_.activate(window);
        ASSERT_TRUE(waitUntil([&] { return display_->isInside(focusOf(dpy()), window); }));
    }

    // The key lines the window logged while `send` ran, once it has handled them all.
    Strings typed(TestWindow& window, const std::function<void()>& send) {
        window.settle();
        std::size_t before = window.lines("key ").size();
        send();
        window.settle();
        Strings keys = window.lines("key ");
        return {keys.begin() + static_cast<long>(before), keys.end()};
    }

    long wmState(::Window window) { return display_->wmState(window).value_or(-1); }

    std::shared_ptr<X11Display> display_ = X11Display::open();
    X11WindowSystem windows_{display_};
    XTestKeyInjector standard_{display_};
    SendEventKeyInjector alternate_{display_};
};

std::vector<KeySym> coreKeymap(Display* dpy) {
    int min = 0, max = 0, perKey = 0;
    XDisplayKeycodes(dpy, &min, &max);
    KeySym* syms = XGetKeyboardMapping(dpy, static_cast<KeyCode>(min), max - min + 1, &perKey);
    std::vector<KeySym> copy(syms, syms + (max - min + 1) * perKey);
    XFree(syms);
    return copy;
}

bool keyDown(Display* dpy, KeyCode keycode = 0) {
    char down[32];
    XQueryKeymap(dpy, down);
    return keycode != 0 ? (down[keycode / 8] >> (keycode % 8)) & 1
                        : std::any_of(down, down + 32, [](char byte) { return byte != 0; });
}

TEST_F(X11DesktopTest, EveryStrokeArrivesInOrderWithItsModifiersOnBothPaths) {
    // Greek and Cyrillic letters, far more than the spare keycodes of a keyboard map.
    std::string manyNames;
    for (const char32_t* c = U"αβγδεζηθικλμνξοπρστυφχψωабвгдежзий"; *c != 0; ++c) {
        manyNames += (manyNames.empty() ? "" : " ") + std::string(XKeysymToString(0x1000000 | *c));
    }
    const std::vector<std::pair<std::string, std::string>> cases = {
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
        // openbox grabs Print: only synthetic events bring it to the window here (the
        // standard path types it on the display without a window manager).
        {"{PRTSC}", "Print"},
    };
    TestWindow window("Keyrelay key test");
    activate(window.handle());
    for (bool alternate : {false, true}) {
        KeyInjector& keys = alternate ? static_cast<KeyInjector&>(alternate_) : standard_;
        for (const auto& [text, expected] : cases) {
            if (!alternate && text == "{PRTSC}") {
                continue;
            }
            SCOPED_TRACE((alternate ? "alternate path: " : "standard path: ") + text);
            auto before = coreKeymap(dpy());
            Strings received = typed(window, [&] { keys.sendKeys(text); });
            EXPECT_EQ(pressed(received, alternate), expected);
            long presses = std::count_if(received.begin(), received.end(),
                                         [](const std::string& l) { return l[0] == 'p'; });
            EXPECT_EQ(2 * presses, static_cast<long>(received.size())) << "every key is released";
            EXPECT_EQ(coreKeymap(dpy()), before) << "the keyboard map is as it was";
            // The alternate path carries its modifiers in the events only.
            EXPECT_FALSE(keyDown(dpy())) << "a key of the keyboard stays down";
        }
        // A malformed string is refused before the first key goes out.
        for (const char* bad : {"abc{ENTER", "abc{NOSUCHKEY}", "ab+", "a\x01"}) {
            auto refused = [&] {
                EXPECT_EQ(failure([&] { keys.sendKeys(bad); }).first, errors::InvalidArgument);
            };
            EXPECT_TRUE(typed(window, refused).empty()) << bad;
        }
    }
}

TEST_F(X11DesktopTest, CapsLockAndHeldModifiersOfTheUserDoNotChangeWhatIsTyped) {
    TestWindow window("Keyrelay lock test");
    activate(window.handle());
    auto capsLocked = [&] {
        XkbStateRec state = {};
        XkbGetState(dpy(), XkbUseCoreKbd, &state);
        return (state.locked_mods & LockMask) != 0;
    };
    XkbLockModifiers(dpy(), XkbUseCoreKbd, LockMask, LockMask);
    EXPECT_EQ(pressed(typed(window, [&] { standard_.sendKeys("aB+c"); }), false), "a B C");
    EXPECT_TRUE(capsLocked()) << "the lock is as the user left it";
    standard_.sendKeys("{CAPSLOCK}");
    EXPECT_FALSE(capsLocked()) << "CapsLock in the string toggles the lock";

    KeyCode shift = XKeysymToKeycode(dpy(), XK_Shift_L);
    KeyCode control = XKeysymToKeycode(dpy(), XK_Control_R);
    XTestFakeKeyEvent(dpy(), shift, True, CurrentTime);
    XTestFakeKeyEvent(dpy(), control, True, CurrentTime);
    std::string tokens = pressed(typed(window, [&] { standard_.sendKeys("ab"); }), false);
    bool shiftDown = keyDown(dpy(), shift), controlDown = keyDown(dpy(), control);
    XTestFakeKeyEvent(dpy(), control, False, CurrentTime);
    XTestFakeKeyEvent(dpy(), shift, False, CurrentTime);
    XkbLockModifiers(dpy(), XkbUseCoreKbd, LockMask, 0);
    XSync(dpy(), False);
    EXPECT_EQ(tokens, "a b");
    EXPECT_TRUE(shiftDown && controlDown) << "the user's modifiers are down again";
}

// xterm accepts synthetic events only when told to. What is typed reaches the program
// reading the terminal; Ctrl+D at the start of a line ends it, and the xterm with it.
TEST_F(X11DesktopTest, TextTypedIntoAnXtermReachesItsProgram) {
    char name[] = "/tmp/keyrelay-xterm.XXXXXX";
    const std::string out = std::string(mkdtemp(name)) + "/out.txt";
    EXPECT_EQ(std::system(("LC_ALL=C.UTF-8 xterm -u8 -T 'Keyrelay xterm' -xrm "
                           "'XTerm*allowSendEvents: true' -e sh -c 'cat > " +
                           out + "' &")
                              .c_str()),
              0);
    WindowHandle xterm = 0;
    EXPECT_TRUE(waitUntil([&] {
        for (const TopLevelWindow& window : windows_.topLevelWindows()) {
            xterm = window.title == "Keyrelay xterm" ? window.handle : xterm;
        }
        return xterm != 0;
    }));
    activate(static_cast<::Window>(xterm));
    standard_.sendKeys("Hello, World! 14025.5 {+}{(}x{)} é€~");
    alternate_.sendKeys("second {(}é{)}{ENTER}");
    standard_.sendKeys("^d");
    auto content = [&] {
        std::ifstream in(out, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    EXPECT_TRUE(waitUntil([&] {
        return content() == "Hello, World! 14025.5 +(x) é€\nsecond (é)\n";
    })) << content();
    std::filesystem::remove_all(std::filesystem::path(out).parent_path());
}

TEST_F(X11DesktopTest, ListsWindowsWithTheirWholeTitles) {
    const std::vector<std::tuple<std::string, std::string, std::string>> cases = {
        {"CW Skimmer - 7.000 MHz [default]", "", "CW Skimmer - 7.000 MHz [default]"},
        {"Ωmega – Ünï", "", "Ωmega – Ünï"},
        {"Plain WM_NAME only", "--wm-name-only", "Plain WM_NAME only"},
        {"Café in Latin-1", "--wm-name-only --latin1-title", "Café in Latin-1"},
    };
    for (const auto& [title, options, expected] : cases) {
        TestWindow window(title, options);
        EXPECT_TRUE(waitUntil([&] { return titles(windows_, {window.handle()}).size() == 1; }));
        EXPECT_EQ(titles(windows_, {window.handle()}), Strings{expected});
    }
}

TEST_F(X11DesktopTest, ActivationFocusesRaisesAndRestoresAMinimisedWindow) {
    TestWindow a("Stack A"), b("Stack B");
    for (const TestWindow* top : {&a, &b, &a}) {
        activate(top->handle());
        Strings expected =
            top == &a ? Strings{"Stack A", "Stack B"} : Strings{"Stack B", "Stack A"};
        EXPECT_TRUE(waitUntil([&] {
            return titles(windows_, {a.handle(), b.handle()}) == expected;
        })) << "the activated window is listed first";
    }
    XIconifyWindow(dpy(), b.handle(), DefaultScreen(dpy()));
    XFlush(dpy());
    ASSERT_TRUE(waitUntil([&] { return wmState(b.handle()) == IconicState; }));
    EXPECT_EQ(titles(windows_, {b.handle()}).size(), 1u) << "a minimised window is listed";
    activate(b.handle());
    EXPECT_TRUE(waitUntil([&] { return wmState(b.handle()) == NormalState; }));
}

TEST_F(X11DesktopTest, WindowThatHasGoneFailsWithBadWindow) {
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
    for (unsigned count = 0; XQueryTree(dpy(), frame, &root, &parent, &children, &count);
         frame = parent) {
        XFree(children);
        if (parent == root) {
            break;
        }
    }
    XWindowAttributes f;
    XGetWindowAttributes(dpy(), frame, &f);
    int b = f.border_width, x = rect.left + 25, y = rect.top + 70, clientX = 0, clientY = 0;
    EXPECT_EQ(rect, (ScreenRect{f.x, f.y, f.x + f.width + 2 * b, f.y + f.height + 2 * b}));
    EXPECT_GT(f.height, 320) << "the frame has a title bar";

    XTranslateCoordinates(dpy(), window.handle(), root, 0, 0, &clientX, &clientY, &parent);
    X11Mouse mouse(display_);
    mouse.moveTo(x, y);
    mouse.leftDown();
    mouse.leftUp();
    // The window manager grabs the button (click to focus) and lets the press through in
    // its own time, so the click may come after a settle marker: wait for it instead.
    EXPECT_TRUE(waitUntil([&] { return !window.lines("release ").empty(); }));
    const std::string at = std::to_string(x - clientX) + " " + std::to_string(y - clientY) + " " +
                           std::to_string(x) + " " + std::to_string(y);
    EXPECT_EQ(window.lines("click "), Strings{at});
    EXPECT_EQ(window.lines("release "), Strings{at});
}

// A program started through the native services gets its folder and parameters and shows
// its window as asked.
TEST_F(X11DesktopTest, StartedProgramGetsItsFolderAndParametersAndWindowState) {
    auto services = createNativeServices();
    for (WindowState state : {WindowState::Normal, WindowState::Minimized}) {
        char name[] = "/tmp/keyrelay-start.XXXXXX";
        const std::filesystem::path folder = mkdtemp(name), log = folder / "log.txt";
        services->processes().start(folder, X11_TEST_WINDOW,
                                    "\"Started\" log.txt first \"second one\"", state);
        long expected = state == WindowState::Normal ? NormalState : IconicState;
        EXPECT_TRUE(waitUntil([&] { return wmState(windowIn(log)) == expected; })) << expected;
        EXPECT_EQ(logLines(log, "cwd "), Strings{folder.string()});
        EXPECT_EQ(logLines(log, "arg "), (Strings{"first", "second one"}));
        for (const std::string& pid : logLines(log, "pid ")) {
            kill(std::stoi(pid), SIGTERM);
        }
        std::filesystem::remove_all(folder);
    }
}

// An Xvfb of the test's own, ended with the object. The shell prints its process id,
// which Xvfb keeps, and Xvfb prints its display number.
class PrivateXServer {
public:
    explicit PrivateXServer(const std::string& options = "")
        : out_(popen(
              ("echo $$; exec Xvfb -displayfd 1 -nolisten tcp 2>/dev/null " + options).c_str(),
              "r")) {
        int number = -1;
        EXPECT_EQ(std::fscanf(out_, "%d %d", &pid_, &number), 2) << "Xvfb did not start";
        name = ":" + std::to_string(number);
    }
    ~PrivateXServer() {
        kill(pid_, SIGTERM);
        pclose(out_);
    }
    std::string name;

private:
    FILE* out_;
    pid_t pid_ = -1;
};

// Without a window manager every top-level window is a child of the root, and activation
// raises and focuses it directly.
TEST(X11WithoutWindowManager, ListsShownOrdinaryWindowsTopmostFirstAndActivatesDirectly) {
    PrivateXServer server;
    auto display = X11Display::open(server.name.c_str());
    X11WindowSystem windows(display);
    Display* client = XOpenDisplay(server.name.c_str());  // another program's connection
    auto makeWindow = [&](const char* title, bool map, bool overrideRedirect = false) {
        XSetWindowAttributes attributes = {};
        attributes.override_redirect = overrideRedirect;
        ::Window window = XCreateWindow(client, DefaultRootWindow(client), 10, 20, 200, 100, 1, 0,
                                        InputOutput, nullptr, CWOverrideRedirect, &attributes);
        XStoreName(client, window, title);
        if (map) {
            XMapWindow(client, window);
        }
        XSync(client, False);
        return window;
    };
    ::Window bottom = makeWindow("Bottom", true), hidden = makeWindow("Never shown", false);
    makeWindow("Tooltip", true, true);
    makeWindow("Top", true);
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
        TestWindow target("Typed without a window manager", "", server.name);
        windows.activate(target.handle());
        XTestKeyInjector(display).sendKeys("a{PRTSC}+b");
        target.settle();
        EXPECT_EQ(pressed(target.lines("key "), false), "a Print B");
    }
    XSetInputFocus(client, None, RevertToNone, CurrentTime);
    XSync(client, False);
    EXPECT_EQ(failure([&] { SendEventKeyInjector(display).sendKeys("a"); }).first,
              errors::InvalidArgument)
        << "typed without a focused window";
    XCloseDisplay(client);
}

TEST(X11Connection, DisplayWithoutXTestOrNoDisplayIsUnavailable) {
    PrivateXServer server("-extension XTEST");
    const std::string saved = std::getenv("DISPLAY") != nullptr ? std::getenv("DISPLAY") : "";
    unsetenv("DISPLAY");
    for (auto [missing, connect] : std::vector<std::pair<std::string, std::function<void()>>>{
             {"XTest", [&] { X11Display::open(server.name.c_str()); }},
             {"DISPLAY", [] { createNativeServices(); }}}) {
        auto [number, description] = failure(connect);
        EXPECT_EQ(number, errors::DeviceUnavailable) << missing;
        EXPECT_NE(description.find(missing), std::string::npos) << description;
    }
    setenv("DISPLAY", saved.c_str(), 1);
}

}  // namespace
}  // namespace keyrelay
