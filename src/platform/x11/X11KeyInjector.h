#pragma once

#include <X11/Xlib.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/KeyInjector.h"
#include "platform/KeyStroke.h"
#include "platform/x11/X11Display.h"
#include "platform/x11/X11Keymap.h"

namespace keyrelay {

// What both X11 injection paths share: the notation is parsed, every stroke is turned
// into a key and the modifiers to hold, characters the keyboard map lacks are bound to
// spare keys for the run, and the key events go out in order. The paths differ only in
// how a key event is sent (emit) and in what they do to the keyboard around the run.
//
// Failures: a malformed string, or a character that no key can type (a control
// character), throws PlatformError(errors::InvalidArgument, ...) before anything is
// typed; a refusal by the server throws PlatformError with the X error code.
class X11KeyInjector : public KeyInjector {
public:
    void sendKeys(const std::string& keys) override;

    // Types strokes as sendKeys types the parsed string.
    void sendStrokes(const std::vector<KeyStroke>& strokes);

protected:
    explicit X11KeyInjector(std::shared_ptr<X11Display> display);

    // What stays in effect during the run: locked modifiers and the keyboard group.
    struct RunState {
        unsigned activeModifiers = 0;
        int group = 0;
    };
    // Called before the first key; may change the keyboard state for the run.
    virtual RunState beginRun(const std::vector<KeyStroke>& strokes) = 0;
    // Sends one key event; `state` is the modifier and group state the event carries.
    virtual void emit(KeyCode keycode, bool press, unsigned state) = 0;
    // Called after the last key, also when the run failed; undoes beginRun.
    virtual void endRun() = 0;

    X11Display& display() { return *display_; }

private:
    struct Planned {
        const KeyStroke* stroke;
        KeySym keysym;
    };
    void typeSegment(const std::vector<Planned>& segment, const X11Keymap& keymap,
                     const RunState& run, const std::vector<KeySym>& missing);
    void holdModifiers(unsigned wanted, const X11Keymap& keymap, const RunState& run);
    // Makes sure the program with the focus hears of the keyboard map change that follows.
    void primeFocusedProgram(const X11Keymap& keymap, const RunState& run);

    std::shared_ptr<X11Display> display_;
    unsigned held_ = 0;
    long pings_ = 0;
};

}  // namespace keyrelay
