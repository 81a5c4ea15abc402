#pragma once

#include <X11/Xlib.h>

#include <string>

namespace keyrelay {

// Catches the X errors of the requests made on one display while it is alive, instead
// of Xlib's default handler, which ends the process. Errors arrive asynchronously, so a
// trap is checked after a round trip (check() / sync()).
//
// Traps nest per thread; an error goes to the innermost trap of its display. Errors on
// our own displays outside any trap are dropped; errors on displays that are not ours
// (another library in the process using Xlib) go to the handler that was installed
// before ours.
class X11ErrorTrap {
public:
    explicit X11ErrorTrap(Display* display);
    ~X11ErrorTrap();
    X11ErrorTrap(const X11ErrorTrap&) = delete;
    X11ErrorTrap& operator=(const X11ErrorTrap&) = delete;

    // Marks `display` as one of ours (its stray errors are dropped) or not any more.
    static void registerDisplay(Display* display);
    static void unregisterDisplay(Display* display);

    // Waits until the server has handled every request sent so far; then failed() tells
    // whether one of them (since the trap was set or last cleared) failed.
    void sync();
    bool failed() const { return errorCode_ != 0; }
    int errorCode() const { return errorCode_; }
    void clear() { errorCode_ = 0; }

    // "X error BadWindow (request 20.0)": the first error caught.
    std::string describe() const;

    // sync(); when a request failed throws PlatformError(<X error code>, what + ": " +
    // describe()).
    void check(const std::string& what);

private:
    static int handler(Display* display, XErrorEvent* event);

    Display* display_;
    X11ErrorTrap* outer_;
    int errorCode_ = 0;
    int requestCode_ = 0;
    int minorCode_ = 0;
    unsigned long resource_ = 0;
};

}  // namespace keyrelay
