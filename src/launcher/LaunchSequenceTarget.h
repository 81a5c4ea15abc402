#pragma once

#include "launcher/LaunchList.h"

namespace keyrelay {

// What the launch sequence reads of the launcher window and asks of it. The launcher
// window implements it; tests use a plain table.
class LaunchSequenceTarget {
public:
    virtual ~LaunchSequenceTarget() = default;

    // Row 0..5 as its fields show it now.
    virtual LaunchRow row(int index) = 0;
    // Shows the row's marker: the launch has reached it.
    virtual void markRow(int index) = 0;
    // The launcher window is on screen: only then are the decoder and the receiver clicked.
    virtual bool windowVisible() = 0;
    // The launcher window has been closed; the launch ends as after Cancel.
    virtual bool windowClosed() = 0;
    // Closes the launcher window, which writes the list file and may end the program.
    virtual void closeWindow() = 0;
    // The main window is still loaded (the program is not shutting down).
    virtual bool mainWindowLoaded() = 0;
    // Applies the main window's "Keypad Auto Start" and "Bandscan Auto Start" as asked.
    virtual void applyAutoStarts(bool keypad, bool bandscan) = 0;
};

}  // namespace keyrelay
