#pragma once

#include <QStringView>
#include <functional>

#include "core/ProgramState.h"
#include "sweep/SweepTickTarget.h"

namespace keyrelay {

// The sweep's share of the one-second tick, run on every tick on which the command pad
// or the sweep runs (after the tick has counted DwellSecs):
//   1. moves SweepLine off lines that are not included;
//   2. moves it off a line whose daily time window does not hold the current time, to the
//      next included line (restarting the dwell);
//   3. makes a step when the line's dwell has passed (DwellSecs above the numeric value
//      of its DurSec) and no step is under way, unless this instance is a linked client;
//      with "Cycle Bands" checked it then moves SweepLine to the next included line.
//
// When no included line is within its window, the search comes back round to the line it
// started from: SweepLine and DwellSecs stay as they were and that line keeps stepping at
// its dwell, the same whether it is the only included line or one of several.
class SweepTick {
public:
    // `window` returns the sweep window (loading it when it is not loaded); it is asked
    // again after the step, which may have closed the window. `nowMinutes` is the local
    // time of day in minutes since midnight (0 to 1439).
    static void run(ProgramState& state, const std::function<SweepTickTarget&()>& window,
                    int nowMinutes);

    // A line's time window: from start to end of the same day, both included, times read
    // by position ("HH:MM"). A start of 0 counts as 1 and an end of 0 (or empty) as 1440,
    // so "00:00" only opens a minute after midnight and a window that crosses midnight
    // ("22:00" to "02:00") never holds the time. An empty start means no window (always
    // true).
    static bool inTimeWindow(QStringView start, QStringView end, int nowMinutes);

    // The check made when the user leaves a line's end time: an end earlier in the day than
    // the start (both read by position) is refused. An empty start or end is never refused.
    static bool endTimeRefused(QStringView start, QStringView end);
};

}  // namespace keyrelay
