#pragma once

#include <X11/Xlib.h>
#include <sys/types.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace keyrelay::test {

struct RecordedKey {
    bool press = false;
    unsigned keycode = 0;
    unsigned long keysym = 0;
    unsigned state = 0;
    bool sendEvent = false;
    long long timeNs = 0;
};

struct RecordedButton {
    bool press = false;
    unsigned button = 0;
    int x = 0, y = 0;          // relative to the window
    int rootX = 0, rootY = 0;  // on the screen
};

// A real target window in its own process (x11_test_window) that logs every key and
// click it receives. Its log is read back by the tests.
class TestWindow {
public:
    // Starts the window and waits until it is shown. `options` go before the title
    // (e.g. "--wm-name-only"). Fails the test when the window does not appear.
    explicit TestWindow(const std::string& title, const std::vector<std::string>& options = {});
    ~TestWindow();
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;

    ::Window handle() const { return window_; }
    pid_t pid() const { return pid_; }
    const std::string& logPath() const { return logPath_; }

    // Waits until the window has handled every event sent to it before this call: a
    // marker message goes after them and the window logs it in turn.
    void settle();

    std::vector<std::string> lines() const;
    std::vector<RecordedKey> keys() const;
    std::vector<RecordedButton> buttons() const;

    // Polls `done` until it holds or `limit` has passed; returns its last value. The
    // limit is generous: the machine may be busy with other builds, and only a fault
    // makes a wait run out.
    static bool waitUntil(const std::function<bool()>& done,
                          std::chrono::milliseconds limit = std::chrono::seconds(30));

    // Waits until the keyboard focus is in `window` (or inside it).
    static bool waitForFocus(Display* display, ::Window window);

    // The path of the x11_test_window program.
    static std::string program();

private:
    std::string folder_;
    std::string logPath_;
    pid_t pid_ = -1;
    ::Window window_ = None;
    Display* display_ = nullptr;
    long marks_ = 0;
};

}  // namespace keyrelay::test
