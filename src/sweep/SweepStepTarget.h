#pragma once

#include <QString>
#include <array>
#include <memory>

#include "sweep/SweepLines.h"
#include "sweep/SweepSettings.h"

namespace keyrelay {

// What a sweep step reads of the sweep window and shows in it. The window implements it;
// tests use a plain table. The step's own state lives here, with the window it belongs to.
class SweepStepTarget {
public:
    virtual ~SweepStepTarget() = default;

    // kHz added to each line's start frequency for its next step.
    std::array<double, SweepLines::Count> FreqOffset{};
    // Stop, "Quit" or the window's unload asked the sweep to end.
    bool SweepStopRequested = false;
    // The "not connected" notice of a step is up: later steps find the connection down
    // as well and do not stack a notice on it. Shared with the notice's answer, which
    // may come after the window has gone.
    std::shared_ptr<bool> NotConnectedShown = std::make_shared<bool>(false);

    // The table and the single fields as they stand now (read again after every wait).
    virtual SweepSettings settings() const = 0;
    // The running dot: green while a step holds the channel, red when it gives it back.
    virtual void showSending(bool sending) = 0;
    // A failed step ends the sweep: the running dot goes out.
    virtual void hideRunning() = 0;
    // The last frequency or command sent, where the user sees it.
    virtual void showSent(const QString& text) = 0;
    // Telnet: sends a frequency command to the decoder. False when not connected; a failed
    // write throws PlatformError.
    virtual bool sendFrequencyCommand(const QString& command) = 0;
    // Telnet: the connection failed during a step.
    virtual void telnetFailed() = 0;
    // The link menu still offers "Connect": this instance is not linked to a server.
    virtual bool offersConnect() = 0;
};

}  // namespace keyrelay
