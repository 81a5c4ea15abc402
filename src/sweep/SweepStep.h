#pragma once

#include "core/ProgramState.h"
#include "sweep/SweepStepTarget.h"

namespace keyrelay {

class BusyMarker;
class Delivery;

// One step of the sweep on line SweepLine (DoIt), in keystroke or telnet mode:
//   - with the handshake on, a busy marker held by another program skips the step (the
//     tick tries again), and so does a channel already taken;
//   - an included line sends its frequency (SweepPlan) unless a stop was asked for; a
//     confirmed frequency moves the line's offset on by its increment;
//   - a line whose range is used up hands the sweep to the next line (unless "Cycle
//     Bands" moves on after every step anyway), and every used-up line starts again at its
//     start frequency;
//   - a telnet step without a connection sends nothing and says so in a notice that
//     waits for no answer, one at a time (the next steps try again meanwhile);
//   - at the end the channel is free, the dwell starts again and the stop request is
//     answered.
// A failure stops the sweep: in telnet mode the connection is dropped, in keystroke mode a
// message says which window was not found.
class SweepStep {
public:
    SweepStep(ProgramState& state, Delivery& delivery, BusyMarker& marker);

    void run(SweepStepTarget& target);

    // Gives the busy marker back when this program took it and the command pad's hold is
    // not on.
    static void releaseMarker(const ProgramState& state, BusyMarker& marker);

private:
    // False when the telnet command could not go out for want of a connection.
    bool send(SweepStepTarget& target, int line);
    void advance(SweepStepTarget& target, int line);
    void freeChannel(SweepStepTarget& target);

    ProgramState& state_;
    Delivery& delivery_;
    BusyMarker& marker_;
};

}  // namespace keyrelay
