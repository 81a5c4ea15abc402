#pragma once

#include <string>

namespace keyrelay {

// Minimises the first window of a program that was just started: X11 has no "start
// minimised", and a program's first window is created whenever the program gets to it.
// A detached helper thread with its own connection watches for up to 10 s for a new
// client window whose _NET_WM_PID is the program or one of its descendants, asks the
// window manager to iconify it, and repeats the request for a while if the program
// shows the window again. Without a window manager nothing can be minimised and
// nothing is done.
class X11StartMinimizer {
public:
    explicit X11StartMinimizer(std::string displayName);

    // Returns at once; failures are silent (the program runs in a normal window).
    void minimizeFirstWindowOf(int pid) const;

private:
    static void watch(const std::string& displayName, int pid);

    std::string displayName_;
};

}  // namespace keyrelay
