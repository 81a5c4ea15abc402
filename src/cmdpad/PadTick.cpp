#include "cmdpad/PadTick.h"

#include "core/TextValue.h"

namespace keyrelay {

namespace {

constexpr int SecondsFields = 16;

}  // namespace

void PadTick::run(ProgramState& state, BusyMarker& marker, Clock& clock, PadTarget& pad,
                  PadSequence& sequence) {
    // 1. A hold taken by the handshake ends as soon as the marker is gone.
    if (pad.holdShown() && !marker.exists()) {
        pad.showHold(false);
    }

    // 2. Nothing runs: recover a channel left taken for 30 idle seconds.
    // Reading the sweep window's running dot loads that window.
    pad.loadSweepWindow();
    if (!pad.runningShown() && !state.SweepRunning) {
        if (state.ChannelBusy) {
            ++state.StaleBusySecs;
            if (state.StaleBusySecs >= StaleLimitSecs) {
                state.StaleBusySecs = 0;
                pad.setRunningGreen(false);
                pad.sweepDotRed();
                state.ChannelBusy = false;
                sequence.releaseMarkerIfOwned();
            }
        }
        if (!state.ChannelBusy) {
            state.StaleBusySecs = 0;
        }
        clock.yield();
        pad.setProgress(QStringLiteral("0/0"));
        return;
    }

    // 3. Count.
    if (pad.runningShown()) {
        ProgramState::countUp(state.CycleSecs);
    }
    ProgramState::countUp(state.ElapsedSecs);
    if (state.SweepRunning) {
        ProgramState::countUp(state.DwellSecs);
    }

    // 4. Progress: during a round the wait of the command being sent, afterwards the
    // period. CmdIdx 14 reads the hidden spare field 15, which is always empty.
    if (pad.runningShown()) {
        const QString elapsed = QString::number(state.ElapsedSecs) + QLatin1Char('/');
        const int wait = sequence.CmdIdx + 1;
        if (sequence.CmdIdx == 14 && !pad.secondsText(0).isEmpty()) {
            pad.setProgress(elapsed + pad.secondsText(0).trimmed());
        } else if (wait >= 0 && wait < SecondsFields && !pad.secondsText(wait).isEmpty()) {
            pad.setProgress(elapsed + pad.secondsText(wait).trimmed());
        }
    }

    // 5. Repeat.
    if (pad.runningShown() && TextValue::numeric(pad.secondsText(0)) <= state.CycleSecs &&
        !state.PadSending) {
        state.CycleSecs = 0;
        state.ElapsedSecs = 0;
        sequence.run();
    }

    // 6. The sweep's duties. They read the sweep window's controls from the first
    // second on, which loads it (hidden) and reads its settings.
    pad.sweepTickDuties();
}

}  // namespace keyrelay
