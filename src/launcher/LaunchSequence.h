#pragma once

#include <optional>

#include "core/ProgramState.h"
#include "launcher/LaunchSequenceTarget.h"
#include "platform/Platform.h"
#include "platform/WindowSystem.h"

namespace keyrelay {

class Delivery;

// The launch sequence of the launcher window:
//   1. for each row in order, while neither Cancel (LaunchCancel) nor the window's closing
//      nor the program's end has been asked for: an included row with a path shows its
//      marker; when the path holds a folder and its program is not running yet, the
//      program is started in that folder with the row's parameters (minimised when asked
//      for, except the decoder and the receiver) and the row's wait follows; a program
//      already running gets no start, no wait and no click;
//   2. after each row, with the launcher window on screen, the receiver's minimise click
//      (ClickStart1) and the decoder's focus and minimise clicks (ClickStart), which look
//      only at the row's path: an excluded row still clicks a window that exists;
//   3. at the end (also after Cancel): LaunchCancel is cleared, the window is closed, and
//      unless the program is ending the main window's auto-start options are applied.
// A platform operation that fails skips its step; only a program that cannot be started
// is reported (StartFailure, the row's path and the reason), and the launch goes on.
class LaunchSequence {
public:
    // Pause before a minimise click, and the click points relative to the window.
    static constexpr int MinimisePauseMs = 1000;
    static constexpr int FocusClickX = 25;
    static constexpr int FocusClickY = 70;
    static constexpr int MinimiseClickY = 10;
    // Opens the message about a program that cannot be started.
    static constexpr const char* StartFailure = "Could not start \"";

    LaunchSequence(ProgramState& state, Platform& platform, Delivery& delivery,
                   LaunchSequenceTarget& target);

    // The whole sequence (StartEm).
    void run();
    // The decoder's focus click at (left + 25, top + 70) and, when the row is the decoder's
    // and asks for it, its minimise click.
    void ClickStart(int row);
    // The receiver's minimise click, when the row is the receiver's and asks for it.
    void ClickStart1(int row);

private:
    // Cancel, a closed window or the program's end stops the rows.
    bool stopped();
    // Starts the row's program; false when it was already running (the row is done).
    bool start(const LaunchRow& row);
    // Moves the cursor to (x, y) and clicks the left button.
    void clickAt(int x, int y);
    // The 1 s pause and the click at (right - ClickOffset, top + 10).
    void minimiseClick(const ScreenRect& rect);
    // The screen rectangle of the first window whose title contains the fragment; nothing
    // when there is none or it cannot be measured.
    std::optional<ScreenRect> measureWindow(const char* titleFragment);

    ProgramState& state_;
    Platform& platform_;
    Delivery& delivery_;
    LaunchSequenceTarget& target_;
};

}  // namespace keyrelay
