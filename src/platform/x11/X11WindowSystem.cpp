#include "platform/x11/X11WindowSystem.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <chrono>
#include <cstdio>
#include <deque>
#include <thread>

#include "platform/PlatformError.h"
#include "platform/x11/X11ErrorTrap.h"

namespace keyrelay {

namespace {

// How long activate() waits for the focus to arrive, and how often it looks.
constexpr auto FocusWait = std::chrono::milliseconds(200);
constexpr auto FocusPoll = std::chrono::milliseconds(1);

std::string hex(unsigned long value) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%lx", value);
    return text;
}

}  // namespace

X11WindowSystem::X11WindowSystem(std::shared_ptr<X11Display> display)
    : display_(std::move(display)) {}

std::vector<::Window> X11WindowSystem::stackedClients() {
    if (display_->windowManagerRunning()) {
        // Bottom to top in the property; we list topmost first.
        if (auto stacking =
                display_->cardinals(display_->root(), "_NET_CLIENT_LIST_STACKING", XA_WINDOW)) {
            return {stacking->rbegin(), stacking->rend()};
        }
    }
    return clientsFromTree();
}

std::vector<::Window> X11WindowSystem::clientsFromTree() {
    Display* dpy = display_->get();
    X11ErrorTrap trap(dpy);
    ::Window rootReturn = None, parent = None;
    ::Window* children = nullptr;
    unsigned int count = 0;
    std::vector<::Window> result;
    if (!XQueryTree(dpy, display_->root(), &rootReturn, &parent, &children, &count)) {
        return result;
    }
    // XQueryTree lists the children bottom to top.
    for (unsigned int i = count; i-- > 0;) {
        XWindowAttributes attributes;
        trap.clear();
        if (!XGetWindowAttributes(dpy, children[i], &attributes) || trap.failed()) {
            continue;  // gone meanwhile
        }
        if (attributes.map_state != IsViewable || attributes.override_redirect) {
            continue;
        }
        result.push_back(clientInside(children[i]));
    }
    if (children != nullptr) {
        XFree(children);
    }
    return result;
}

::Window X11WindowSystem::clientInside(::Window frame) {
    // A window manager without EWMH reparents each client into a frame: the client is
    // the window below it that carries WM_STATE. Without a window manager there is no
    // WM_STATE and the child of the root is the client itself.
    if (display_->wmState(frame)) {
        return frame;
    }
    Display* dpy = display_->get();
    X11ErrorTrap trap(dpy);
    std::deque<::Window> queue{frame};
    for (int visited = 0; !queue.empty() && visited < 64; ++visited) {
        ::Window current = queue.front();
        queue.pop_front();
        ::Window rootReturn = None, parent = None;
        ::Window* children = nullptr;
        unsigned int count = 0;
        if (!XQueryTree(dpy, current, &rootReturn, &parent, &children, &count)) {
            continue;
        }
        for (unsigned int i = 0; i < count; ++i) {
            if (display_->wmState(children[i])) {
                ::Window found = children[i];
                XFree(children);
                return found;
            }
            queue.push_back(children[i]);
        }
        if (children != nullptr) {
            XFree(children);
        }
    }
    return frame;
}

std::vector<TopLevelWindow> X11WindowSystem::topLevelWindows() {
    std::vector<TopLevelWindow> result;
    try {
        for (::Window window : stackedClients()) {
            result.push_back({window, display_->title(window)});
        }
    } catch (const PlatformError&) {
        result.clear();
    }
    return result;
}

void X11WindowSystem::activate(WindowHandle handle) {
    auto window = static_cast<::Window>(handle);
    Display* dpy = display_->get();
    display_->discardEvents();
    XWindowAttributes attributes;
    {
        X11ErrorTrap trap(dpy);
        if (!XGetWindowAttributes(dpy, window, &attributes) || trap.failed()) {
            throw PlatformError(trap.failed() ? trap.errorCode() : BadWindow,
                                "No window " + hex(window) + " to activate: " +
                                    (trap.failed() ? trap.describe() : "it has gone"));
        }
    }
    if (!display_->windowManagerRunning()) {
        activateDirectly(window);
        waitForFocus(window);
        return;
    }
    const bool restored = activateThroughWindowManager(window);
    // The keys that follow an activation go to whichever window has the focus when the
    // server handles them. With a window manager the activation is a request that it
    // carries out in its own time (about 2 ms under openbox), so keys sent at once could
    // still reach the previous window. Waiting here, bounded, until the focus is in the
    // target makes "activate, then type" safe. A window manager that refuses (focus
    // stealing prevention) costs the bound and nothing else: the caller cannot tell a
    // slow window manager from a refusal, and typing into the previous window is what
    // the other platform does in that case too.
    if (waitForFocus(window) && restored) {
        // A Wine program activated while it still counts itself minimised leaves the
        // keyboard focus on its main window, not on the control that had it, once it is
        // restored: Wine's notepad then drops every key, however often it is activated
        // again. It hands the focus on properly when it is activated after losing it, so
        // the focus goes to the root window for a moment and the window is activated again.
        X11ErrorTrap trap(dpy);
        XSetInputFocus(dpy, display_->root(), RevertToPointerRoot, CurrentTime);
        requestActivation(window);
        trap.check("Cannot activate window " + hex(window));
        waitForFocus(window);
    }
}

bool X11WindowSystem::activateThroughWindowManager(::Window window) {
    Display* dpy = display_->get();
    X11ErrorTrap trap(dpy);
    bool iconic = false;
    if (auto state = display_->wmState(window); state && *state == IconicState) {
        // Mapping an iconic client asks the window manager to restore it.
        XMapWindow(dpy, window);
        iconic = true;
    }
    requestActivation(window);
    trap.check("Cannot activate window " + hex(window));
    return iconic;
}

void X11WindowSystem::requestActivation(::Window window) {
    XEvent event = {};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = display_->atom("_NET_ACTIVE_WINDOW");
    event.xclient.format = 32;
    event.xclient.data.l[0] = 2;  // source indication: a pager, which is always obeyed
    event.xclient.data.l[1] = CurrentTime;
    event.xclient.data.l[2] = 0;
    XSendEvent(display_->get(), display_->root(), False,
               SubstructureRedirectMask | SubstructureNotifyMask, &event);
}

void X11WindowSystem::activateDirectly(::Window window) {
    Display* dpy = display_->get();
    X11ErrorTrap trap(dpy);
    XMapRaised(dpy, window);
    trap.check("Cannot show window " + hex(window));
    // A window that was not mapped becomes viewable when the server has mapped it,
    // which XSync above has waited for; without a window manager nothing redirects it.
    XSetInputFocus(dpy, window, RevertToParent, CurrentTime);
    trap.check("Cannot give the keyboard focus to window " + hex(window));
}

bool X11WindowSystem::waitForFocus(::Window window) {
    Display* dpy = display_->get();
    auto deadline = std::chrono::steady_clock::now() + FocusWait;
    for (;;) {
        ::Window focus = None;
        int revert = 0;
        XGetInputFocus(dpy, &focus, &revert);
        if (focus != None && focus != PointerRoot && display_->isInside(focus, window)) {
            return true;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(FocusPoll);
    }
}

ScreenRect X11WindowSystem::windowRect(WindowHandle handle) {
    auto window = static_cast<::Window>(handle);
    Display* dpy = display_->get();
    X11ErrorTrap trap(dpy);
    XWindowAttributes attributes;
    ::Window child = None;
    int x = 0, y = 0;
    if (!XGetWindowAttributes(dpy, window, &attributes) || trap.failed() ||
        !XTranslateCoordinates(dpy, window, display_->root(), 0, 0, &x, &y, &child) ||
        trap.failed()) {
        throw PlatformError(trap.failed() ? trap.errorCode() : BadWindow,
                            "No window " + hex(window) + " to measure: " +
                                (trap.failed() ? trap.describe() : "it has gone"));
    }
    // (x, y) is the inside corner; the border lies around it.
    int border = attributes.border_width;
    ScreenRect rect{x - border, y - border, x + attributes.width + border,
                    y + attributes.height + border};
    if (auto extents = display_->cardinals(window, "_NET_FRAME_EXTENTS", XA_CARDINAL);
        extents && extents->size() == 4) {
        // left, right, top, bottom
        rect.left -= static_cast<int>((*extents)[0]);
        rect.right += static_cast<int>((*extents)[1]);
        rect.top -= static_cast<int>((*extents)[2]);
        rect.bottom += static_cast<int>((*extents)[3]);
        return rect;
    }
    // A window manager without EWMH: the frame is the child of the root that holds the
    // window.
    ::Window current = window;
    for (;;) {
        ::Window rootReturn = None, parent = None;
        ::Window* children = nullptr;
        unsigned int count = 0;
        trap.clear();
        if (!XQueryTree(dpy, current, &rootReturn, &parent, &children, &count) || trap.failed()) {
            return rect;
        }
        if (children != nullptr) {
            XFree(children);
        }
        if (parent == rootReturn || parent == None) {
            break;
        }
        current = parent;
    }
    if (current != window && XGetWindowAttributes(dpy, current, &attributes) && !trap.failed()) {
        border = attributes.border_width;
        return {attributes.x, attributes.y, attributes.x + attributes.width + 2 * border,
                attributes.y + attributes.height + 2 * border};
    }
    return rect;
}

}  // namespace keyrelay
