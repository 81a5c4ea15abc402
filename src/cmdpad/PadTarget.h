#pragma once

#include <QString>

namespace keyrelay {

// What the command pad's sequence and tick read of the pad window and what they change on
// it. The pad window implements it; tests use a plain table.
class PadTarget {
public:
    virtual ~PadTarget() = default;

    // CMND 0..12, the keystroke strings of one round.
    virtual QString commandText(int index) = 0;
    // RepSec 0..15: 0 is the repeat period, 1..12 the waits after commands 0..11, 13..15
    // hidden spares that are always empty.
    virtual QString secondsText(int index) = 0;
    // The title, or its first characters, of the window that receives the commands.
    virtual QString appTitle() = 0;
    // "Handshake With LDK" is checked.
    virtual bool handshakeChecked() = 0;

    // The running dot (Shape1): shown while the pad cycles, green while a round is sent.
    virtual bool runningShown() = 0;
    virtual void showRunning(bool shown) = 0;
    virtual void setRunningGreen(bool green) = 0;
    // The hold dot (Shape2).
    virtual bool holdShown() = 0;
    virtual void showHold(bool shown) = 0;
    // The progress box ("12/60") and the Start button's caption.
    virtual void setProgress(const QString& text) = 0;
    virtual void setStartCaption(const QString& caption) = 0;
    // The collapsed layout.
    virtual void compress() = 0;

    // The sweep window: loaded (hidden) when not loaded, its running dot turned red, and
    // its share of the tick.
    virtual void loadSweepWindow() = 0;
    virtual void sweepDotRed() = 0;
    virtual void sweepTickDuties() = 0;
};

}  // namespace keyrelay
