// gtest before Xlib: Xlib's None and Bool macros break its templates.
#include <gtest/gtest.h>

#include "TestWindow.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

extern char** environ;

namespace keyrelay::test {

namespace {

bool hasLine(const std::vector<std::string>& lines, const std::string& wanted) {
    for (const std::string& line : lines) {
        if (line == wanted) {
            return true;
        }
    }
    return false;
}

}  // namespace

std::string TestWindow::program() {
    return X11_TEST_WINDOW;
}

bool TestWindow::waitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        if (done()) {
            return true;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return done();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

bool TestWindow::waitForFocus(Display* display, ::Window window) {
    return waitUntil([&] {
        ::Window focus = None;
        int revert = 0;
        XGetInputFocus(display, &focus, &revert);
        while (focus != None && focus != PointerRoot) {
            if (focus == window) {
                return true;
            }
            ::Window root = None, parent = None;
            ::Window* children = nullptr;
            unsigned int count = 0;
            if (!XQueryTree(display, focus, &root, &parent, &children, &count)) {
                return false;
            }
            if (children != nullptr) {
                XFree(children);
            }
            focus = parent == root ? None : parent;
        }
        return false;
    });
}

TestWindow::TestWindow(const std::string& title, const std::vector<std::string>& options) {
    char folder[] = "/tmp/keyrelay-x11test.XXXXXX";
    if (mkdtemp(folder) == nullptr) {
        ADD_FAILURE() << "cannot make a temporary folder";
        return;
    }
    folder_ = folder;
    logPath_ = folder_ + "/window.log";
    display_ = XOpenDisplay(nullptr);
    if (display_ == nullptr) {
        ADD_FAILURE() << "no X display: run the desktop tests under scripts/with-display";
        return;
    }

    std::string path = program();
    std::vector<std::string> args{path};
    args.insert(args.end(), options.begin(), options.end());
    args.push_back(title);
    args.push_back(logPath_);
    std::vector<char*> argv;
    for (std::string& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    if (posix_spawn(&pid_, path.c_str(), nullptr, nullptr, argv.data(), environ) != 0) {
        pid_ = -1;
        ADD_FAILURE() << "cannot start " << path;
        return;
    }
    bool shown = waitUntil([&] {
        auto all = lines();
        for (const std::string& line : all) {
            if (line.rfind("window 0x", 0) == 0) {
                window_ = std::strtoul(line.c_str() + 9, nullptr, 16);
            }
        }
        return window_ != None && hasLine(all, "mapped");
    });
    if (!shown) {
        std::string log;
        for (const std::string& line : lines()) {
            log += "\n  " + line;
        }
        ADD_FAILURE() << "the test window \"" << title << "\" did not appear; its log:" << log;
    }
}

TestWindow::~TestWindow() {
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        int status = 0;
        waitpid(pid_, &status, 0);
    }
    if (display_ != nullptr) {
        XCloseDisplay(display_);
    }
    if (!folder_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
}

void TestWindow::settle() {
    ASSERT_NE(display_, nullptr);
    long mark = ++marks_;
    XEvent event = {};
    event.xclient.type = ClientMessage;
    event.xclient.window = window_;
    event.xclient.message_type = XInternAtom(display_, "KEYRELAY_TEST_MARK", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = mark;
    // No event mask: the event goes to the client that created the window.
    XSendEvent(display_, window_, False, 0, &event);
    XSync(display_, False);
    std::string wanted = "mark " + std::to_string(mark);
    ASSERT_TRUE(waitUntil([&] { return hasLine(lines(), wanted); }))
        << "the test window did not answer";
}

std::vector<std::string> TestWindow::lines() const {
    std::vector<std::string> result;
    std::ifstream in(logPath_);
    std::string line;
    while (std::getline(in, line)) {
        result.push_back(line);
    }
    return result;
}

std::vector<RecordedKey> TestWindow::keys() const {
    std::vector<RecordedKey> result;
    for (const std::string& line : lines()) {
        char kind[16] = {};
        RecordedKey key;
        int send = 0;
        if (std::sscanf(line.c_str(), "key %15s keycode=%u keysym=0x%lx state=0x%x send=%d t=%lld",
                        kind, &key.keycode, &key.keysym, &key.state, &send, &key.timeNs) == 6) {
            key.press = std::string(kind) == "press";
            key.sendEvent = send != 0;
            result.push_back(key);
        }
    }
    return result;
}

std::vector<RecordedButton> TestWindow::buttons() const {
    std::vector<RecordedButton> result;
    for (const std::string& line : lines()) {
        char kind[16] = {};
        RecordedButton b;
        if (std::sscanf(line.c_str(), "button %15s b=%u x=%d y=%d rx=%d ry=%d", kind, &b.button,
                        &b.x, &b.y, &b.rootX, &b.rootY) == 6) {
            b.press = std::string(kind) == "press";
            result.push_back(b);
        }
    }
    return result;
}

}  // namespace keyrelay::test
