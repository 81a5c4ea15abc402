#pragma once

#include <X11/Xlib.h>

#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace keyrelay {

// One connection to the X server, used by one thread at a time, with the property
// readers the services share. Every request that can fail for a window that has gone
// meanwhile is made under an X11ErrorTrap; the readers below return nothing then.
class X11Display {
public:
    // Connects to `name` (nullptr: $DISPLAY). Throws PlatformError(errors::DeviceUnavailable,
    // ...) when the display cannot be opened or lacks the XTest or XKB extension.
    static std::shared_ptr<X11Display> open(const char* name = nullptr);

    explicit X11Display(Display* display);
    ~X11Display();
    X11Display(const X11Display&) = delete;
    X11Display& operator=(const X11Display&) = delete;

    Display* get() const { return display_; }
    ::Window root() const { return DefaultRootWindow(display_); }
    std::string name() const { return DisplayString(display_); }

    Atom atom(const char* name);

    // The 32-bit items of a property of the given type (AnyPropertyType for any), or
    // nothing when the window or the property does not exist.
    std::optional<std::vector<unsigned long>> cardinals(::Window window, const char* property,
                                                        Atom type);
    std::optional<unsigned long> cardinal(::Window window, const char* property, Atom type);
    // The bytes of an 8-bit property and its type.
    std::optional<std::string> bytes(::Window window, Atom property, Atom* typeOut = nullptr);

    // The window's title in UTF-8: _NET_WM_NAME, else WM_NAME; empty when it has none.
    std::string title(::Window window);

    // WM_STATE's state (NormalState, IconicState, WithdrawnState), or nothing when the
    // window has no WM_STATE (it is not a managed client window).
    std::optional<long> wmState(::Window window);

    // The window manager announced by _NET_SUPPORTING_WM_CHECK, when one is running.
    bool windowManagerRunning();

    // True when `window` is `ancestor` or lies inside it.
    bool isInside(::Window window, ::Window ancestor);

    // Throws away the events the server sent us (mapping notifications); nothing here
    // reads them, and left alone they would pile up for the life of the connection.
    void discardEvents();

private:
    Display* display_;
    std::unordered_map<std::string, Atom> atoms_;
};

}  // namespace keyrelay
