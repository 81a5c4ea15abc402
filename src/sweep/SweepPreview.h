#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

#include "sweep/SweepPlan.h"
#include "sweep/SweepSettings.h"

namespace keyrelay {

// What the sweep will do with a table, worked out ahead of time: which line steps when and
// to which frequency over the next hours, and the mistakes in the table that make it do
// something else than the user probably meant.
//
// The steps come from the sweep's own decisions, not from a copy of them: SweepTick runs
// on a table of the preview's (a SweepTickTarget) on a clock of its own, one tick a second,
// and each step is SweepPlan's (its waits, during which the next ticks come, its frequency,
// the advance, the hand-over to the next line and the restart of used-up ranges). The
// preview assumes every send goes out (the target window is there, the telnet connection
// is up) and that no spot lengthens a starred dwell, which is its minimum.
class SweepPreview {
public:
    static constexpr std::int64_t DayMs = 24LL * 3600 * 1000;

    // Where the sweep stands when the preview begins.
    struct Start {
        int secondsOfDay = 0;  // local time of day
        // The sweep runs and carries on from the state below; otherwise Start is pressed
        // now, which steps at once on the line SweepLine holds.
        bool running = false;
        std::int16_t sweepLine = 0;
        std::int16_t dwellSecs = 0;
        SweepPlan::Offsets offsets{};
        std::int64_t firstTickMs = 1000;  // the main window's next one-second tick
    };

    // A frequency sent, `ms` after the start.
    struct Step {
        std::int64_t ms = 0;
        int line = 0;
        double kHz = 0;
        bool operator==(const Step&) const = default;
    };

    // A span of time in which a line keeps stepping.
    struct Stretch {
        int line = 0;
        std::int64_t fromMs = 0;
        std::int64_t toMs = 0;
    };

    struct Warning {
        enum Kind {
            WindowNeverMatches,  // the line's window crosses midnight
            EndBelowStart,       // the line sends its start frequency at every step
            StepNotPositive,     // the line's range never ends
            StepBeyondRange,     // the line sends one frequency only
            NoSuffix,            // keystroke mode without a suffix: the line never moves on
            NoLineIncluded,      // nothing is sent at all
            NoLineInWindow,      // minutes fromMinute..toMinute-1 with no line in its window
        };
        Kind kind;
        int line = -1;  // 0..7, or -1 for the whole table
        int fromMinute = 0;
        int toMinute = 0;
        QString text;
    };

    // The frequencies sent within `spanMs` of the start, in order.
    static std::vector<Step> steps(const SweepSettings& s, const Start& start,
                                   std::int64_t spanMs = DayMs);
    // The steps grouped into the spans in which each line keeps stepping: a line's steps
    // belong together while they are no further apart than one round of every included
    // line.
    static std::vector<Stretch> stretches(const SweepSettings& s, const std::vector<Step>& steps);
    // The time from the line's start frequency to its next return there, as the steps
    // show it; none when that does not happen within them.
    static std::optional<std::int64_t> passMs(const SweepSettings& s,
                                              const std::vector<Step>& steps, int line);
    // The frequencies of one pass of the line's range, in order (at most `limit`).
    static std::vector<double> pass(const SweepSettings& s, int line, std::size_t limit = 1000);
    // The dwell carries a star: a spot restarts it, so it is a minimum.
    static bool dwellStarred(const SweepSettings& s, int line);

    // The mistakes of the table, included lines first in their order, then the hours.
    static std::vector<Warning> warnings(const SweepSettings& s);

    // "Line 3" for line index 2, as the table shows it from the top.
    static QString lineName(int line);
};

}  // namespace keyrelay
