#include "sweep/SweepTick.h"

#include <array>

#include "core/DayTime.h"
#include "core/TextValue.h"
#include "sweep/SweepLines.h"

namespace keyrelay {

namespace {

constexpr int Lines = SweepLines::Count;

std::int16_t nextLine(std::int16_t line) {
    return static_cast<std::int16_t>(SweepLines::wrap(line + 1));
}

}  // namespace

bool SweepTick::inTimeWindow(QStringView start, QStringView end, int nowMinutes) {
    if (start.isEmpty()) {
        return true;
    }
    int from = DayTime::minutesOf(start);
    int to = DayTime::minutesOf(end);
    if (from == 0) {
        from = 1;
    }
    if (to == 0) {
        to = 1440;
    }
    return from <= nowMinutes && nowMinutes <= to;
}

bool SweepTick::endTimeRefused(QStringView start, QStringView end) {
    return !start.isEmpty() && !end.isEmpty() &&
           DayTime::minutesOf(end) < DayTime::minutesOf(start);
}

void SweepTick::run(ProgramState& state, const std::function<SweepTickTarget&()>& window,
                    int nowMinutes) {
    std::int16_t& line = state.SweepLine;

    // 1. Off lines that are not included (an included current line stays).
    for (int tries = 0; tries < Lines; ++tries) {
        if (window().lineIncluded(line)) {
            break;
        }
        line = nextLine(line);
    }

    // 2. Off a line whose time window does not hold the current time. Each included line
    // is tried once; coming back round to one already tried means none is in its window.
    if (window().lineIncluded(line)) {
        const std::int16_t startLine = line;
        const std::int16_t startDwell = state.DwellSecs;
        std::array<bool, Lines> tried{};
        while (
            !inTimeWindow(window().startTimeText(line), window().endTimeText(line), nowMinutes)) {
            tried[static_cast<std::size_t>(line)] = true;
            std::int16_t candidate = line;
            bool found = false;
            for (int moves = 0; moves < Lines; ++moves) {
                candidate = nextLine(candidate);
                if (window().lineIncluded(candidate)) {
                    found = true;
                    break;
                }
            }
            if (!found || tried[static_cast<std::size_t>(candidate)]) {
                // No included line is in its window: stay where the search began, as if
                // it had not moved, and let the dwell decide as for a single line.
                line = startLine;
                state.DwellSecs = startDwell;
                break;
            }
            line = candidate;
            state.DwellSecs = 0;
        }
    }

    // 3. The dwell step.
    if (window().lineIncluded(line) && !state.SweepStepping &&
        TextValue::numeric(window().dwellText(line)) < state.DwellSecs) {
        if (window().stepsLocally()) {
            window().makeStep();
        }
        if (window().cycleBandsChecked()) {
            for (int tries = 0; tries < Lines; ++tries) {
                line = nextLine(line);
                if (window().lineIncluded(line)) {
                    break;
                }
            }
        }
    }
}

}  // namespace keyrelay
