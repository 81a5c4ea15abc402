#pragma once

#include <array>
#include <cstdint>

#include <QString>

namespace keyrelay {

// Program-wide state shared by the windows: one copy per running program, owned by the
// application object and handed to every window. Nothing here is saved.
//
// Counters the tick raises (CycleSecs, ElapsedSecs, DwellSecs) start again at 0 when
// they pass 4000, so the 16-bit types never overflow.
struct ProgramState {
    static constexpr std::int16_t CounterLimit = 4000;

    // One second more on a counter the tick raises.
    static void countUp(std::int16_t& counter) {
        ++counter;
        if (counter > CounterLimit) {
            counter = 0;
        }
    }

    // Start-up and the busy marker
    QString LogdeckFolder;     // companion program's folder with a trailing separator, or empty
    bool AppsStarted = false;  // the automatic launch has run (or must not run) in this run
    bool OwnMarker = false;    // this program created the busy marker and may delete it
    std::int16_t BusyWaitCount = 0;  // weight of consecutive busy checks that found the marker
    // The program has been asked to end (AppContext::endProgram): it leaves its event loop
    // once the handler under way has returned, and that handler starts nothing new.
    bool EndRequested = false;
    // No one is at the screen to answer (the program ends on a signal or a lost display):
    // questions are answered No and messages go to standard error.
    bool NoOneToAsk = false;
    // A settings file could not be written when its window closed: the exit status says so.
    bool SettingsNotSaved = false;

    // Keystroke channel and the one-second tick
    bool ChannelBusy = false;    // the keystroke channel is taken
    bool PadSending = false;     // a command sequence is under way
    bool SweepStepping = false;  // a sweep step is under way
    std::int16_t CycleSecs = 0;
    std::int16_t ElapsedSecs = 0;
    std::int16_t StaleBusySecs = 0;
    std::int16_t SweepLine = 0;  // 0 to 7
    std::int16_t DwellSecs = 0;

    // Station link
    QString LinkBuffer;
    std::int16_t AcceptedCount = 0;
    std::array<bool, 501> KeepAliveAnswered{};
    std::int16_t LastSenderIndex = 0;
    bool ServerReceiveBusy = false;
    bool ListenStarted = false;
    bool ClientReceiveBusy = false;
    bool KeepAliveBusy = false;

    // Telnet
    bool QsyPending = false;

    // Launcher
    std::int16_t ClickOffset = 0;
    bool LaunchCancel = false;

    // What the windows share. Each flag mirrors a control of the window that owns it (a
    // dot shown, a menu item checked) and is kept by that window, so no window reads
    // another window's controls; a window that is not loaded reads as all false.
    bool PadRunning = false;           // the command pad's running dot
    bool HoldOn = false;               // the command pad's hold dot
    bool HandShake = false;            // "Handshake With LDK"
    bool KeypadAutoStart = false;      // "Keypad Auto Start"
    bool BandscanAutoStart = false;    // "Bandscan Auto Start"
    bool CloseAfterAppsStart = false;  // "Close After Apps Start"
    bool SweepRunning = false;         // the sweep window's running dot
    bool LinkDotShown = false;         // the sweep window's green link dot
    bool ServerDotShown = false;       // the sweep window's red server dot

    // This program follows another program's sweep over the link: the green dot is shown
    // and the red one is not.
    bool linkedClient() const { return LinkDotShown && !ServerDotShown; }
};

}  // namespace keyrelay
