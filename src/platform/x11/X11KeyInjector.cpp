#include "platform/x11/X11KeyInjector.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <optional>
#include <thread>

#include <X11/Xatom.h>

#include "platform/KeyNotation.h"
#include "platform/PlatformError.h"
#include "platform/x11/X11ErrorTrap.h"
#include "platform/x11/X11SpareKeys.h"

namespace keyrelay {

namespace {

// How long the keys typed on spare keycodes get before the map is put back: every
// client re-reads the map when it sees the change, and one that reads it only after
// the restore would take those keys for nothing. Wine turns a key into its character
// only when the program takes the key from its queue, looking the keycode up in the map
// as it is then, so a restore (or the next characters' binding) before that drops or
// swaps characters; and a Wine program handles keys far slower than they are sent
// (measured on a busy machine: 400 characters in 2 to 4.5 s). Nothing it shows outside
// tells when it is done (it answers pings while the keys still wait), so the pause grows
// with the strokes typed.
constexpr auto SpareKeysLinger = std::chrono::milliseconds(250);
constexpr auto SpareKeysLingerPerStroke = std::chrono::milliseconds(12);
// How long the focused program gets to answer a ping, and how often we look.
constexpr auto PingWait = std::chrono::milliseconds(1000);
constexpr auto PingPoll = std::chrono::milliseconds(1);

// Modifiers go down in this order and up in the reverse one.
constexpr unsigned PressOrder[] = {ControlMask, Mod1Mask,  Mod2Mask, Mod3Mask,
                                   Mod4Mask,    ShiftMask, Mod5Mask};

unsigned notationModifiers(std::uint8_t modifiers, const X11Keymap& keymap) {
    unsigned mask = 0;
    if (modifiers & ShiftModifier) {
        mask |= ShiftMask;
    }
    if (modifiers & ControlModifier) {
        mask |= ControlMask;
    }
    if (modifiers & AltModifier) {
        mask |= keymap.altMask();
    }
    return mask;
}

}  // namespace

X11KeyInjector::X11KeyInjector(std::shared_ptr<X11Display> display)
    : display_(std::move(display)) {}

void X11KeyInjector::sendKeys(const std::string& keys) {
    sendStrokes(KeyNotation::parse(keys));
}

void X11KeyInjector::sendStrokes(const std::vector<KeyStroke>& strokes) {
    std::vector<Planned> planned;
    planned.reserve(strokes.size());
    for (const KeyStroke& stroke : strokes) {
        if (stroke.isNamedKey) {
            planned.push_back({&stroke, X11Keymap::keysymForKey(stroke.key)});
            continue;
        }
        auto keysym = X11Keymap::keysymForCharacter(stroke.character);
        if (!keysym) {
            char text[96];
            std::snprintf(text, sizeof text, "Cannot type the control character U+%04X",
                          static_cast<unsigned>(stroke.character));
            throw PlatformError(errors::InvalidArgument, text);
        }
        planned.push_back({&stroke, *keysym});
    }
    if (planned.empty()) {
        return;
    }

    Display* dpy = display_->get();
    display_->discardEvents();
    X11ErrorTrap trap(dpy);
    RunState run = beginRun(strokes);
    try {
        X11Keymap keymap(dpy, run.activeModifiers, run.group);

        // Everything that can refuse the string is checked before the first key goes out.
        std::vector<KeySym> allMissing;
        for (const Planned& p : planned) {
            unsigned mods = notationModifiers(p.stroke->modifiers, keymap);
            if ((p.stroke->modifiers & AltModifier) && keymap.altMask() == 0) {
                throw PlatformError(errors::DeviceUnavailable, "The keyboard map has no Alt key");
            }
            for (unsigned bit : PressOrder) {
                if ((mods & bit) && keymap.modifierKey(bit) == 0) {
                    throw PlatformError(errors::DeviceUnavailable,
                                        "The keyboard map has no Shift or Control key");
                }
            }
            if (!keymap.find(p.keysym) &&
                std::find(allMissing.begin(), allMissing.end(), p.keysym) == allMissing.end()) {
                allMissing.push_back(p.keysym);
            }
        }
        std::vector<KeyCode> spares = keymap.spareKeycodes();
        if (!allMissing.empty() && spares.empty()) {
            throw PlatformError(errors::DeviceUnavailable,
                                "The keyboard map has no free key for the characters it lacks");
        }

        // Runs of strokes whose missing keysyms fit the spare keys go out one by one.
        std::vector<Planned> segment;
        std::vector<KeySym> missing;
        for (const Planned& p : planned) {
            if (!keymap.find(p.keysym) &&
                std::find(missing.begin(), missing.end(), p.keysym) == missing.end()) {
                if (missing.size() == spares.size()) {
                    typeSegment(segment, keymap, run, missing);
                    segment.clear();
                    missing.clear();
                }
                missing.push_back(p.keysym);
            }
            segment.push_back(p);
        }
        typeSegment(segment, keymap, run, missing);
    } catch (...) {
        endRun();
        throw;
    }
    endRun();
    trap.check("The keys could not be typed");
}

void X11KeyInjector::typeSegment(const std::vector<Planned>& segment, const X11Keymap& keymap,
                                 const RunState& run, const std::vector<KeySym>& missing) {
    if (segment.empty()) {
        return;
    }
    std::optional<X11SpareKeys> spareKeys;
    if (!missing.empty()) {
        primeFocusedProgram(keymap, run);
        spareKeys.emplace(display_->get(), missing, keymap.spareKeycodes());
    }
    try {
        for (const Planned& p : segment) {
            X11Key key;
            if (auto found = keymap.find(p.keysym)) {
                key = *found;
            } else {
                key.keycode = spareKeys->keycodeOf(p.keysym);
            }
            holdModifiers(key.modifiers | notationModifiers(p.stroke->modifiers, keymap), keymap,
                          run);
            unsigned state = held_ | run.activeModifiers | (static_cast<unsigned>(run.group) << 13);
            emit(key.keycode, true, state);
            emit(key.keycode, false, state);
        }
        holdModifiers(0, keymap, run);
    } catch (...) {
        held_ = 0;
        throw;
    }
    if (spareKeys) {
        XSync(display_->get(), False);
        // A pause in the platform layer itself, not a wait of the program: the clock
        // service belongs to the layers above, and the keys must be handled before the
        // map changes back.
        std::this_thread::sleep_for(SpareKeysLinger +
                                    SpareKeysLingerPerStroke * static_cast<int>(segment.size()));
        spareKeys->restore();
    }
}

void X11KeyInjector::primeFocusedProgram(const X11Keymap& keymap, const RunState& run) {
    // Xlib asks the server for keyboard map changes only once the program has looked a
    // key up; until then the server does not tell it of any. A Wine program that has had
    // no key since it started therefore misses the spare keys' binding and types nothing
    // for them. So a Shift tap (which types nothing) goes first, and a ping (EWMH
    // _NET_WM_PING) answered after it says that the program has read it: its answer
    // leaves on the same connection after that request.
    Display* dpy = display_->get();
    const unsigned state = run.activeModifiers | (static_cast<unsigned>(run.group) << 13);
    emit(keymap.modifierKey(ShiftMask), true, state);
    emit(keymap.modifierKey(ShiftMask), false, state | ShiftMask);
    ::Window focus = None;
    int revert = 0;
    XGetInputFocus(dpy, &focus, &revert);
    const Atom protocols = display_->atom("WM_PROTOCOLS");
    const Atom ping = display_->atom("_NET_WM_PING");
    ::Window client = None;
    X11ErrorTrap trap(dpy);
    for (::Window w = focus; client == None && w != None && w != PointerRoot;) {
        if (auto offered = display_->cardinals(w, "WM_PROTOCOLS", XA_ATOM);
            offered && std::count(offered->begin(), offered->end(), ping) != 0) {
            client = w;
        }
        ::Window rootReturn = None, parent = None, *children = nullptr;
        unsigned count = 0;
        if (!XQueryTree(dpy, w, &rootReturn, &parent, &children, &count) || trap.failed()) {
            break;
        }
        if (children != nullptr) {
            XFree(children);
        }
        w = w == rootReturn ? None : parent;
    }
    if (client == None) {
        return;
    }
    // The answer goes to the root window, to the clients that listen for its children.
    XSelectInput(dpy, display_->root(), SubstructureNotifyMask);
    XEvent event = {};
    event.xclient.type = ClientMessage;
    event.xclient.window = client;
    event.xclient.message_type = protocols;
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(ping);
    event.xclient.data.l[1] = ++pings_;
    event.xclient.data.l[2] = static_cast<long>(client);
    XSendEvent(dpy, client, False, NoEventMask, &event);
    XFlush(dpy);
    // A program that does not answer (hung, or busy for long) gets the bound and no more.
    const auto deadline = std::chrono::steady_clock::now() + PingWait;
    for (bool answered = false; !answered && std::chrono::steady_clock::now() < deadline;) {
        XEvent reply;
        while (!answered && XCheckTypedWindowEvent(dpy, display_->root(), ClientMessage, &reply)) {
            answered = reply.xclient.message_type == protocols &&
                       static_cast<Atom>(reply.xclient.data.l[0]) == ping &&
                       reply.xclient.data.l[1] == pings_;
        }
        if (!answered) {
            std::this_thread::sleep_for(PingPoll);
        }
    }
    XSelectInput(dpy, display_->root(), NoEventMask);
    display_->discardEvents();
}

void X11KeyInjector::holdModifiers(unsigned wanted, const X11Keymap& keymap, const RunState& run) {
    auto state = [&] {
        return held_ | run.activeModifiers | (static_cast<unsigned>(run.group) << 13);
    };
    for (auto it = std::rbegin(PressOrder); it != std::rend(PressOrder); ++it) {
        unsigned bit = *it;
        if ((held_ & bit) && !(wanted & bit)) {
            emit(keymap.modifierKey(bit), false, state());
            held_ &= ~bit;
        }
    }
    for (unsigned bit : PressOrder) {
        if ((wanted & bit) && !(held_ & bit)) {
            emit(keymap.modifierKey(bit), true, state());
            held_ |= bit;
        }
    }
}

}  // namespace keyrelay
