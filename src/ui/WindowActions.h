#pragma once

namespace keyrelay {

// What one window asks of another window of the program, without knowing its class.
// Each call loads the window it concerns when it is not loaded (hidden, running its
// opening work), as reading one of its controls would. The program object implements it
// over the window registry; the windows reach it through their context.
class WindowActions {
public:
    virtual ~WindowActions() = default;

    // Loads the window registered under `name` if needed, shows it, raises and activates
    // it. An unknown name does nothing.
    virtual void showWindow(const char* name) = 0;
    // Loads the window registered under `name` if needed, hidden, as reading one of its
    // controls does.
    virtual void loadWindow(const char* name) = 0;

    // The sweep's duties in the one-second tick (include marks, time windows, the dwell
    // step, "Cycle Bands").
    virtual void sweepTickDuties() = 0;
    // The channel was recovered after a stale hold: the sweep's running dot turns red.
    virtual void sweepDotRed() = 0;
    // "Bandscan Auto Start": the sweep window shown collapsed and started.
    virtual void bandscanAutoStart() = 0;
    // "Keypad Auto Start": the command pad starts cycling.
    virtual void keypadAutoStart() = 0;
    // "Auto Start Apps": the launcher shown and its launch run.
    virtual void startApps() = 0;
};

}  // namespace keyrelay
