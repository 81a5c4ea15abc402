#pragma once

#include "cmdpad/PadSequence.h"

namespace keyrelay {

// The command pad's one-second tick, which also drives the sweep:
//   1. a hold ends as soon as the busy marker is gone;
//   2. while neither the pad nor the sweep runs, a channel left taken for 30 seconds is
//      given back (both running dots red, an own marker released) and the progress
//      reads "0/0";
//   3. otherwise the counters go up (CycleSecs while the pad runs, ElapsedSecs always,
//      DwellSecs while the sweep runs; each starts again at 0 past 4000), the progress
//      shows ElapsedSecs over the wait of the command being sent or, once the round has
//      finished, over the period; the next round starts when CycleSecs has reached the
//      period and no round is under way; then the sweep takes its share.
class PadTick {
public:
    static constexpr int CounterLimit = ProgramState::CounterLimit;
    static constexpr int StaleLimitSecs = 30;

    static void run(ProgramState& state, BusyMarker& marker, Clock& clock, PadTarget& pad,
                    PadSequence& sequence);
};

}  // namespace keyrelay
