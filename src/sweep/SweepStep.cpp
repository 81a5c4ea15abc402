#include "sweep/SweepStep.h"

#include <memory>

#include "core/FrequencyText.h"
#include "delivery/BusyMarker.h"
#include "delivery/Delivery.h"
#include "platform/PlatformError.h"
#include "sweep/SweepPlan.h"
#include "telnet/QsyCommand.h"

namespace keyrelay {

SweepStep::SweepStep(ProgramState& state, Delivery& delivery, BusyMarker& marker)
    : state_(state), delivery_(delivery), marker_(marker) {}

void SweepStep::releaseMarker(const ProgramState& state, BusyMarker& marker) {
    if (state.HandShake && state.OwnMarker && !state.HoldOn) {
        marker.ClearBusy();
    }
}

void SweepStep::freeChannel(SweepStepTarget& target) {
    state_.ChannelBusy = false;
    releaseMarker(state_, marker_);
    target.showSending(false);
}

void SweepStep::run(SweepStepTarget& target) {
    ProgramState& st = state_;
    Clock& clock = delivery_.platform().clock;
    const bool viaTelnet = target.settings().ViaTelnet == 1;
    try {
        if (!viaTelnet) {
            delivery_.ActivateWindow(target.settings().TargetName);
        }
        const int line = SweepLines::wrap(st.SweepLine);
        if (st.HandShake && marker_.CheckBusy()) {
            return;  // another program holds the channel; the tick tries again
        }
        if (st.ChannelBusy) {
            return;
        }
        st.ChannelBusy = true;
        st.SweepStepping = true;
        target.showSending(true);

        bool closing = target.SweepStopRequested;
        if (!closing && target.settings().rows[static_cast<std::size_t>(line)].IncCheck == 1) {
            if (!send(target, line)) {
                closing = true;
            } else {
                const SweepSettings s = target.settings();
                if (SweepPlan::handsOver(s, target.FreqOffset, line)) {
                    st.SweepLine = static_cast<std::int16_t>(SweepLines::wrap(st.SweepLine + 1));
                }
                if (target.SweepStopRequested) {
                    closing = true;
                } else {
                    freeChannel(target);
                }
            }
        }
        if (!closing) {
            clock.yield();
            const SweepSettings s = target.settings();
            SweepPlan::restartFinished(s, target.FreqOffset);
            if (s.ViaTelnet != 1 && !s.ReturnApp.isEmpty()) {
                delivery_.ActivateWindow(s.ReturnApp);
            }
            clock.yield();
            st.SweepStepping = false;
        }

        freeChannel(target);
        target.SweepStopRequested = false;
        st.SweepStepping = false;
        st.DwellSecs = 0;
    } catch (const PlatformError& e) {
        st.SweepStepping = false;
        target.hideRunning();
        freeChannel(target);
        target.SweepStopRequested = false;
        if (target.settings().ViaTelnet == 1) {
            target.telnetFailed();
        } else {
            delivery_.platform().dialogs.message(
                "Error " + std::to_string(e.number()) + " " + e.description() +
                ". Make sure what you entered as a title for the window is accurate and the "
                "target app is started.");
        }
    }
}

bool SweepStep::send(SweepStepTarget& target, int line) {
    const SweepSettings s = target.settings();
    const double kHz = SweepPlan::frequency(s, target.FreqOffset, line);

    if (s.ViaTelnet == 1) {
        const QString command = QsyCommand::of(kHz);
        target.showSent(command);
        // A failed write throws: the step's failure path closes the connection.
        if (!target.sendFrequencyCommand(command)) {
            // Each later step tries again and says it again once this notice is answered;
            // the notice waits for no one, so the channel and the window stay free.
            if (target.offersConnect() && !*target.NotConnectedShown) {
                *target.NotConnectedShown = true;
                delivery_.platform().dialogs.notify(
                    "You are not connected. You should either set this application as "
                    "'SERVER' or connect to a server as a client",
                    [shown = std::weak_ptr<bool>(target.NotConnectedShown)] {
                        if (const std::shared_ptr<bool> flag = shown.lock()) {
                            *flag = false;
                        }
                    });
            }
            return false;
        }
        advance(target, line);
        return true;
    }

    SweepPlan::run(SweepPlan::step(s, FrequencyText::of(kHz)), delivery_,
                   [&target](const QString& text) { target.showSent(text); });
    if (SweepPlan::stepAdvances(s)) {
        advance(target, line);
    }
    return true;
}

void SweepStep::advance(SweepStepTarget& target, int line) {
    target.FreqOffset[static_cast<std::size_t>(line)] +=
        SweepPlan::increment(target.settings(), line);
    freeChannel(target);
}

}  // namespace keyrelay
