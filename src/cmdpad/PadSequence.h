#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "cmdpad/CommandSet.h"
#include "cmdpad/PadTarget.h"
#include "core/ProgramState.h"
#include "delivery/BusyMarker.h"
#include "delivery/Delivery.h"

namespace keyrelay {

// The command pad's rounds: one round activates the target window by its title and types
// CMND 0..12 with the waits RepSec 1..12 between them. Every wait keeps the event loop
// running, so ticks, Stop and Hold work during a round.
//
// With "Handshake With LDK" checked a round first takes the busy marker and skips itself
// while another program holds it; after the round the marker is released unless Hold
// keeps it. A failed round ends cycling and says why in a message box. The whole round is
// checked before its first key, so a malformed command never leaves a round half typed.
class PadSequence {
public:
    // Text added to a failed round's description in its message box.
    static constexpr const char* SequenceFailureAdvice =
        ". Check to make sure the App Title box contains the first few characters of the "
        "title on the app and that the App is actually running.";
    // Text added to a malformed command's description, which the message box begins with
    // the command's name as the pad labels it ("Command 3: ").
    static constexpr const char* MalformedCommandAdvice =
        ". Nothing was typed. Check the command's keys against the Help.";

    PadSequence(ProgramState& state, Delivery& delivery, BusyMarker& marker, PadTarget& pad);

    // Start: collapses the pad, shows the running dot and sends the first round at once,
    // unless a round is under way (their keystrokes would interleave).
    void start();
    // "Keypad Auto Start": like start, but a linked client leaves the first round to the
    // tick.
    void autoStart();
    // One round (the repeat decision lies with the tick).
    void run();
    // Stop: no further round; a round under way finishes the command it is sending and
    // the rest of its list, or ends before its first command.
    void stop();
    // Hold: takes the keystroke channel (the busy marker with the handshake), or gives
    // it back when the hold dot is lit.
    void toggleHold();
    // Releases the busy marker when this program holds it, the handshake is on and no
    // hold keeps it.
    void releaseMarkerIfOwned();

    bool StopRequested = false;
    std::int16_t CmdIdx = 0;  // 0..11 while sending, 14 once the round has finished

private:
    void cycleFrom0();
    // The round's thirteen commands as they stand now, each parsed as the injectors will
    // parse it; a malformed one ends the round before anything is activated or typed.
    std::array<QString, CommandSet::Commands> checkedRound();
    void failed(const std::string& message);

    ProgramState& state_;
    Delivery& delivery_;
    BusyMarker& marker_;
    PadTarget& pad_;
};

}  // namespace keyrelay
