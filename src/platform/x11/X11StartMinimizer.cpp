#include "platform/x11/X11StartMinimizer.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <chrono>
#include <fstream>
#include <set>
#include <thread>

#include "platform/x11/X11Display.h"
#include "platform/x11/X11WindowSystem.h"

namespace keyrelay {

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// For the first window to appear: a Windows program's first start in a Wine prefix, on a
// busy machine, can take well over ten seconds.
constexpr auto WindowWait = std::chrono::seconds(60);
constexpr auto SettleTime = std::chrono::seconds(1);   // iconic this long counts as done
constexpr auto IconifyWait = std::chrono::seconds(10);  // for the whole iconify attempt
constexpr auto RepeatEvery = milliseconds(100);
constexpr auto PollEvery = milliseconds(10);

int parentOf(int pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // "pid (comm) state ppid ...": comm may hold blanks and parentheses.
    auto close = text.rfind(')');
    if (close == std::string::npos) {
        return 0;
    }
    char state = 0;
    int parent = 0;
    if (std::sscanf(text.c_str() + close + 1, " %c %d", &state, &parent) != 2) {
        return 0;
    }
    return parent;
}

bool belongsTo(int windowPid, int programPid) {
    for (int pid = windowPid, depth = 0; pid > 1 && depth < 32; pid = parentOf(pid), ++depth) {
        if (pid == programPid) {
            return true;
        }
    }
    return false;
}

}  // namespace

X11StartMinimizer::X11StartMinimizer(std::string displayName)
    : displayName_(std::move(displayName)) {}

void X11StartMinimizer::minimizeFirstWindowOf(int pid) const {
    std::thread(watch, displayName_, pid).detach();
}

void X11StartMinimizer::watch(const std::string& displayName, int pid) {
    try {
        auto display = X11Display::open(displayName.c_str());
        Display* dpy = display->get();
        X11WindowSystem windows(display);
        // Polling rather than waiting on events: the window manager announces new
        // clients by changing a root property, and a short poll over a bounded time is
        // simpler than following every reparenting.
        ::Window found = None;
        std::set<::Window> seen;
        for (auto deadline = Clock::now() + WindowWait; found == None;) {
            if (Clock::now() >= deadline) {
                return;
            }
            for (::Window window : windows.stackedClients()) {
                if (seen.count(window) != 0) {
                    continue;
                }
                auto windowPid = display->cardinal(window, "_NET_WM_PID", XA_CARDINAL);
                if (!windowPid) {
                    continue;  // may still be set; look again next time
                }
                seen.insert(window);
                if (belongsTo(static_cast<int>(*windowPid), pid)) {
                    found = window;
                    break;
                }
            }
            std::this_thread::sleep_for(PollEvery);
        }
        if (!display->windowManagerRunning()) {
            return;
        }
        // Programs often show their window again while they start up (a second map,
        // an activation of their own): keep asking until it has stayed iconic a while.
        auto deadline = Clock::now() + IconifyWait;
        auto lastRequest = Clock::time_point{};
        auto iconicSince = Clock::time_point{};
        while (Clock::now() < deadline) {
            auto state = display->wmState(found);
            if (!state) {
                // The window manager has not taken the window on yet (no WM_STATE): an
                // iconify request now would be lost, so wait for it.
                std::this_thread::sleep_for(PollEvery);
                continue;
            }
            auto now = Clock::now();
            if (*state == WithdrawnState) {
                // Unmapped for now: Wine, for one, unmaps and maps a new window again while
                // it sets it up. A window that is gone for good ends the watch (the catch).
                iconicSince = {};
                std::this_thread::sleep_for(PollEvery);
                continue;
            }
            if (*state == IconicState) {
                if (iconicSince == Clock::time_point{}) {
                    iconicSince = now;
                } else if (now - iconicSince >= SettleTime) {
                    return;
                }
            } else {
                iconicSince = {};
                if (now - lastRequest >= RepeatEvery) {
                    XIconifyWindow(dpy, found, DefaultScreen(dpy));
                    XFlush(dpy);
                    lastRequest = now;
                }
            }
            std::this_thread::sleep_for(PollEvery);
        }
    } catch (...) {
        // No display or a vanished window: the program stays in a normal window.
    }
}

}  // namespace keyrelay
