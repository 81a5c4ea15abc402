#include "platform/x11/X11Display.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <cstdlib>

#include "platform/PlatformError.h"
#include "platform/x11/X11ErrorTrap.h"

namespace keyrelay {

namespace {

std::string latin1ToUtf8(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (unsigned char c : text) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            out += static_cast<char>(0xc0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3f));
        }
    }
    return out;
}

}  // namespace

std::shared_ptr<X11Display> X11Display::open(const char* name) {
    XInitThreads();
    Display* display = XOpenDisplay(name);
    if (display == nullptr) {
        const char* wanted = name != nullptr ? name : std::getenv("DISPLAY");
        throw PlatformError(errors::DeviceUnavailable,
                            wanted != nullptr && *wanted != '\0'
                                ? std::string("Cannot open the X display \"") + wanted + "\""
                                : std::string("No X display (DISPLAY is not set)"));
    }
    auto result = std::make_shared<X11Display>(display);
    int event = 0, error = 0, major = 0, minor = 0;
    if (!XTestQueryExtension(display, &event, &error, &major, &minor)) {
        throw PlatformError(errors::DeviceUnavailable,
                            "The X display " + result->name() +
                                " has no XTest extension; keys and clicks cannot be injected");
    }
    int opcode = 0;
    major = XkbMajorVersion;
    minor = XkbMinorVersion;
    if (!XkbQueryExtension(display, &opcode, &event, &error, &major, &minor)) {
        throw PlatformError(errors::DeviceUnavailable,
                            "The X display " + result->name() + " has no XKB extension");
    }
    return result;
}

X11Display::X11Display(Display* display) : display_(display) {
    X11ErrorTrap::registerDisplay(display_);
}

X11Display::~X11Display() {
    X11ErrorTrap::unregisterDisplay(display_);
    XCloseDisplay(display_);
}

Atom X11Display::atom(const char* name) {
    auto found = atoms_.find(name);
    if (found != atoms_.end()) {
        return found->second;
    }
    Atom value = XInternAtom(display_, name, False);
    atoms_.emplace(name, value);
    return value;
}

std::optional<std::vector<unsigned long>> X11Display::cardinals(::Window window,
                                                                const char* property, Atom type) {
    X11ErrorTrap trap(display_);
    Atom actualType = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    int status = XGetWindowProperty(display_, window, atom(property), 0, 1 << 20, False, type,
                                    &actualType, &format, &count, &after, &data);
    std::optional<std::vector<unsigned long>> result;
    if (status == Success && !trap.failed() && actualType != None && format == 32) {
        // Xlib hands 32-bit items over as longs.
        auto* items = reinterpret_cast<unsigned long*>(data);
        result.emplace(items, items + count);
    }
    if (data != nullptr) {
        XFree(data);
    }
    return result;
}

std::optional<unsigned long> X11Display::cardinal(::Window window, const char* property,
                                                  Atom type) {
    auto items = cardinals(window, property, type);
    if (!items || items->empty()) {
        return std::nullopt;
    }
    return items->front();
}

std::optional<std::string> X11Display::bytes(::Window window, Atom property, Atom* typeOut) {
    X11ErrorTrap trap(display_);
    Atom actualType = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    int status = XGetWindowProperty(display_, window, property, 0, 1 << 20, False, AnyPropertyType,
                                    &actualType, &format, &count, &after, &data);
    std::optional<std::string> result;
    if (status == Success && !trap.failed() && actualType != None && format == 8) {
        result.emplace(reinterpret_cast<char*>(data), count);
        if (typeOut != nullptr) {
            *typeOut = actualType;
        }
    }
    if (data != nullptr) {
        XFree(data);
    }
    return result;
}

std::string X11Display::title(::Window window) {
    Atom utf8 = atom("UTF8_STRING");
    Atom type = None;
    if (auto name = bytes(window, atom("_NET_WM_NAME"), &type); name && type == utf8) {
        return *name;
    }
    auto name = bytes(window, XA_WM_NAME, &type);
    if (!name) {
        return {};
    }
    if (type == XA_STRING) {
        return latin1ToUtf8(*name);
    }
    if (type == utf8) {
        return *name;
    }
    // COMPOUND_TEXT and other encodings: let Xlib convert.
    XTextProperty property;
    property.value = reinterpret_cast<unsigned char*>(name->data());
    property.encoding = type;
    property.format = 8;
    property.nitems = name->size();
    char** list = nullptr;
    int count = 0;
    std::string result;
    if (Xutf8TextPropertyToTextList(display_, &property, &list, &count) >= Success &&
        list != nullptr) {
        for (int i = 0; i < count; ++i) {
            result += list[i];
        }
        XFreeStringList(list);
    }
    return result;
}

std::optional<long> X11Display::wmState(::Window window) {
    Atom wmStateAtom = atom("WM_STATE");
    auto items = cardinals(window, "WM_STATE", wmStateAtom);
    if (!items || items->empty()) {
        return std::nullopt;
    }
    return static_cast<long>(items->front());
}

bool X11Display::windowManagerRunning() {
    // The check window names itself; a stale property left by a window manager that
    // has gone points to a window that no longer exists or does not.
    auto check = cardinal(root(), "_NET_SUPPORTING_WM_CHECK", XA_WINDOW);
    if (!check || *check == 0) {
        return false;
    }
    auto self = cardinal(*check, "_NET_SUPPORTING_WM_CHECK", XA_WINDOW);
    return self && *self == *check;
}

bool X11Display::isInside(::Window window, ::Window ancestor) {
    X11ErrorTrap trap(display_);
    ::Window current = window;
    while (current != None && current != PointerRoot) {
        if (current == ancestor) {
            return true;
        }
        ::Window rootReturn = None, parent = None;
        ::Window* children = nullptr;
        unsigned int count = 0;
        if (!XQueryTree(display_, current, &rootReturn, &parent, &children, &count)) {
            return false;
        }
        if (children != nullptr) {
            XFree(children);
        }
        if (current == rootReturn) {
            return false;
        }
        current = parent;
    }
    return false;
}

void X11Display::discardEvents() {
    while (XPending(display_) > 0) {
        XEvent event;
        XNextEvent(display_, &event);
    }
}

}  // namespace keyrelay
