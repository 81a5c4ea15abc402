#include "sweep/SweepStartStop.h"

namespace keyrelay {

SweepStartStop::Start SweepStartStop::start(const Situation& s) {
    if (s.running) {
        return Start::Nothing;
    }
    if (s.telnetMode) {
        return s.telnetConnected ? Start::TelnetResume : Start::TelnetConnect;
    }
    return s.linkedClient ? Start::Forward : Start::Local;
}

SweepStartStop::Stop SweepStartStop::stop(const Situation& s) {
    if (s.telnetMode) {
        // The connection stays up for the next Start.
        return {.requestStop = true};
    }
    if (s.linkedClient) {
        return {.forward = true};
    }
    return {.requestStop = true, .freeChannel = true};
}

SweepStartStop::Send SweepStartStop::sending(const Situation& s) {
    if (s.telnetMode) {
        return Send::Telnet;
    }
    return s.linkedClient ? Send::Forward : Send::Keys;
}

}  // namespace keyrelay
