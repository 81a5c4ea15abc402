#include "cmdpad/PadSequence.h"

#include "core/TextValue.h"
#include "platform/KeyNotation.h"
#include "platform/PlatformError.h"

namespace keyrelay {

namespace {

// A malformed command of the round, with the message box's whole text.
struct MalformedCommand {
    std::string message;
};

}  // namespace

PadSequence::PadSequence(ProgramState& state, Delivery& delivery, BusyMarker& marker,
                         PadTarget& pad)
    : state_(state), delivery_(delivery), marker_(marker), pad_(pad) {}

void PadSequence::cycleFrom0() {
    pad_.compress();
    pad_.showRunning(true);
    pad_.setStartCaption(QStringLiteral("Running"));
    // A Stop pressed while nothing ran must not swallow the first round, and the period
    // counts from this start, not from a cycle stopped earlier.
    StopRequested = false;
    state_.CycleSecs = 0;
    state_.ElapsedSecs = 0;
}

void PadSequence::start() {
    if (state_.PadSending) {
        return;
    }
    cycleFrom0();
    run();
}

void PadSequence::autoStart() {
    cycleFrom0();
    if (!state_.linkedClient() && !state_.PadSending) {
        run();
    }
}

void PadSequence::run() {
    Clock& clock = delivery_.platform().clock;
    if (pad_.handshakeChecked() && marker_.CheckBusy()) {
        return;
    }
    state_.ChannelBusy = true;
    state_.PadSending = true;
    pad_.setRunningGreen(true);
    try {
        // The round types what was checked: an edit made during the round counts from the
        // next one, so no command can turn malformed half way through.
        const std::array<QString, CommandSet::Commands> round = checkedRound();
        delivery_.ActivateWindow(pad_.appTitle());
        clock.yield();
        if (StopRequested) {
            StopRequested = false;
            clock.yield();
            state_.PadSending = false;
            return;
        }
        clock.yield();
        for (CmdIdx = 0; CmdIdx <= 11; ++CmdIdx) {
            clock.yield();
            const QString& keys = round[static_cast<std::size_t>(CmdIdx)];
            if (!keys.isEmpty()) {
                delivery_.DeliverKeys(keys);
            }
            delivery_.WaitSeconds(TextValue::numeric(pad_.secondsText(CmdIdx + 1)));
            clock.yield();
        }
        CmdIdx = 14;
        const QString& last = round[12];
        if (!last.isEmpty()) {
            delivery_.DeliverKeys(last);
        }
        clock.yield();
    } catch (const MalformedCommand& e) {
        failed(e.message);
        return;
    } catch (const PlatformError& e) {
        failed(e.description() + SequenceFailureAdvice);
        return;
    } catch (const std::exception& e) {
        failed(e.what() + std::string(SequenceFailureAdvice));
        return;
    }
    releaseMarkerIfOwned();
    state_.ChannelBusy = false;
    pad_.setRunningGreen(false);
    StopRequested = false;
    clock.yield();
    state_.PadSending = false;
}

std::array<QString, CommandSet::Commands> PadSequence::checkedRound() {
    std::array<QString, CommandSet::Commands> round;
    for (int i = 0; i < CommandSet::Commands; ++i) {
        round[static_cast<std::size_t>(i)] = pad_.commandText(i);
        try {
            KeyNotation::parse(round[static_cast<std::size_t>(i)].toUtf8().toStdString());
        } catch (const PlatformError& e) {
            // Named as the pad labels it; the App Title advice would mislead here.
            throw MalformedCommand{"Command " + std::to_string(i + 1) + ": " + e.description() +
                                   MalformedCommandAdvice};
        }
    }
    return round;
}

void PadSequence::failed(const std::string& message) {
    state_.PadSending = false;
    releaseMarkerIfOwned();
    state_.ChannelBusy = false;
    pad_.setRunningGreen(false);
    StopRequested = false;
    pad_.showRunning(false);
    pad_.setStartCaption(QStringLiteral("Start"));
    delivery_.platform().dialogs.message(message);
}

void PadSequence::releaseMarkerIfOwned() {
    if (pad_.handshakeChecked() && !pad_.holdShown() && state_.OwnMarker) {
        marker_.ClearBusy();
    }
}

void PadSequence::stop() {
    StopRequested = true;
    state_.ChannelBusy = false;
    releaseMarkerIfOwned();
    pad_.setRunningGreen(false);
    pad_.showRunning(false);
    pad_.setStartCaption(QStringLiteral("Start"));
}

void PadSequence::toggleHold() {
    if (!pad_.holdShown()) {
        if (pad_.handshakeChecked()) {
            if (!marker_.CheckBusy()) {
                pad_.showHold(true);
            }
        } else if (!state_.ChannelBusy) {
            pad_.showHold(true);
            state_.ChannelBusy = true;
        }
        return;
    }
    if (pad_.handshakeChecked()) {
        marker_.ClearBusy();
    }
    pad_.showHold(false);
    state_.ChannelBusy = false;
}

}  // namespace keyrelay
