// The sweep step on the fake desktop and the virtual clock, the window a plain table; the
// Start/Stop decisions as a table.
#include "sweep/SweepStep.h"

#include <gtest/gtest.h>
#include <QTemporaryDir>

#include "core/LineFile.h"
#include "delivery/BusyMarker.h"
#include "delivery/Delivery.h"
#include "fakes/FakePlatform.h"
#include "platform/PlatformError.h"
#include "sweep/SweepStartStop.h"

namespace keyrelay {
namespace {

using Strings = std::vector<std::string>;
static_assert(SweepLines::wrap(-1) == 7 && SweepLines::wrap(8) == 0 && SweepLines::wrap(-9) == 7);

// The window as a table, on a desktop with the target "CW Skimmer" and a logger to return
// to; line 0 runs from 14000 to 14002 in steps of 1.
struct Bench : SweepStepTarget {
    Bench() {
        state.LogdeckFolder = dir.path() + QLatin1Char('/');
        fake.windows.addWindow("CW Skimmer - 7 MHz");
        fake.windows.addWindow("N1MM Logger+");
        s.TargetName = u"CW Skimmer"_qs;
        s.PrefixStr = u"%CT"_qs;
        s.SufixStr = u"{ENTER}"_qs;
        s.ReturnApp = u"N1MM"_qs;
        s.rows[0] = {u"14000"_qs, u"14002"_qs, u"1"_qs, u"0"_qs, 1, {}, {}};
    }
    SweepSettings settings() const override { return s; }
    void showSending(bool on) override { green = on; }
    void hideRunning() override { hidden = true; }
    void showSent(const QString& text) override { sent = text; }
    bool sendFrequencyCommand(const QString&) override {
        return writeFails ? throw PlatformError(32, "broken pipe") : connected;
    }
    void telnetFailed() override { ++telnetFailures; }
    bool offersConnect() override { return offersLink; }

    void step() { SweepStep(state, delivery, marker).run(*this); }
    // Each string typed as "keys@ms window", the window shortened to its first word.
    Strings typed() const {
        Strings out;
        for (const auto& k : fake.standardKeys.sent()) {
            out.push_back(k.keys + "@" + std::to_string(k.atMs) + " " +
                          k.window.substr(0, k.window.find(' ')));
        }
        return out;
    }
    bool idle() const { return !green && !state.ChannelBusy && !state.SweepStepping; }

    SweepSettings s;
    bool green = false, hidden = false, connected = true, offersLink = true, writeFails = false;
    QString sent;
    int telnetFailures = 0;
    QTemporaryDir dir;
    FakePlatform fake;
    ProgramState state;
    Delivery delivery{fake.platform()};
    BusyMarker marker{state};
};

TEST(SweepStep, KeystrokePlans) {
    struct Case {
        const char *prefix, *suffix;
        bool check1, focusStolen;  // the logger takes the focus every 200 ms
        Strings typed;
        double offsetAfter;
    };
    // clang-format off
    const Case cases[] = {
        {"%CT", "{ENTER}", false, false, {"%CT@0 CW", "14000@500 CW", "{ENTER}@1500 CW"}, 1},
        {"", "{ENTER}", false, false, {"14000@0 CW", "{ENTER}@1000 CW"}, 1},
        {"%CT", "", false, false, {"%CT@0 CW", "14000@500 CW"}, 0},  // unconfirmed: no advance
        {"%CT", "{ENTER}", true, true, {"%CT@0 CW", "14000@500 CW", "{ENTER}@1500 CW"}, 1},
        {"%CT", "{ENTER}", false, true, {"%CT@0 CW", "14000@500 N1MM", "{ENTER}@1500 N1MM"}, 1},
    };
    // clang-format on
    for (const Case& c : cases) {
        Bench b;
        b.s.PrefixStr = QString::fromLatin1(c.prefix);
        b.s.SufixStr = QString::fromLatin1(c.suffix);
        b.s.Check1 = c.check1;
        const auto logger = b.fake.windows.topLevelWindows().back().handle;
        if (c.focusStolen) {
            b.fake.clock.startTimer(200, [&b, logger] { b.fake.windows.activate(logger); });
        }
        b.state.HandShake = true;  // the marker is taken for the step and given back
        bool markerHeld = false;
        b.fake.clock.startTimer(400, [&] { markerHeld = markerHeld || b.marker.exists(); });
        b.state.DwellSecs = 9;
        b.step();
        EXPECT_EQ(b.typed(), c.typed) << c.prefix << c.suffix << c.check1;
        EXPECT_EQ(b.FreqOffset[0], c.offsetAfter) << c.prefix << c.suffix;
        EXPECT_EQ(b.sent, "14000");
        EXPECT_EQ(b.fake.windows.foreground()->title, "N1MM Logger+");
        EXPECT_TRUE(markerHeld && !b.marker.exists());
        EXPECT_TRUE(b.idle() && !b.hidden && b.state.DwellSecs == 0);
    }
}

TEST(SweepStep, RangesRunToTheirEndAndStartAgain) {
    struct Case {
        const char* end;
        bool cycleBands;
        Strings steps;  // "frequency>SweepLine after the step"
    };
    const Case cases[] = {
        {"14002", false, {"14000>0", "14001>0", "14002>1", "14000>0"}},
        {"14002", true, {"14000>0", "14001>0", "14002>0", "14000>0"}},  // the tick moves on
        {"13000", false, {"14000>1", "14000>1"}},  // an end below the start: the start always
    };
    for (const Case& c : cases) {
        Bench b;
        b.s.rows[0].EndFreq = QString::fromLatin1(c.end);
        b.s.CycleBands = c.cycleBands;
        Strings steps;
        for (std::size_t i = 0; i < c.steps.size(); ++i) {
            b.state.SweepLine = 0;
            b.step();
            steps.push_back(b.sent.toStdString() + ">" + std::to_string(b.state.SweepLine));
        }
        EXPECT_EQ(steps, c.steps) << c.end << c.cycleBands;
    }
}

TEST(SweepStep, AStopDuringTheStepLetsItsKeystrokesFinish) {
    Bench b;
    bool greenWhileSending = false;
    b.fake.clock.startTimer(700, [&] {
        greenWhileSending = b.green;
        b.SweepStopRequested = true;
    });
    b.step();
    EXPECT_TRUE(greenWhileSending);
    EXPECT_EQ(b.typed().size(), 3u);
    EXPECT_EQ(b.FreqOffset[0], 1);
    EXPECT_TRUE(b.idle() && !b.SweepStopRequested);
}

// Steps that send nothing, fail, or go over telnet. A failure stops the sweep (the dot
// goes out) and leaves the dwell; in telnet mode it drops the connection instead of saying
// which window was missing.
TEST(SweepStep, Outcomes) {
    const std::string notConnected =
        "You are not connected. You should either set this application as 'SERVER' or "
        "connect to a server as a client";
    const std::string noWindow =
        "Error 5 %. Make sure what you entered as a title for the window is accurate and the "
        "target app is started.";
    const Strings twoKeys{"%CT@0 CW", "14000@500 CW"};
    struct Case {
        std::function<void(Bench&)> setUp;
        Strings typed;
        double offset;
        std::string message;  // "%": the failure's description
        bool failed;
        int dwell, drops;
    };
    // clang-format off
    const Case cases[] = {
        {[](Bench& b) { b.state.ChannelBusy = true; }, {}, 0, "", false, 7, 0},
        {[](Bench& b) { LineFile::write(b.marker.path(), {u"XX"_qs}); }, {}, 0, "", false, 7, 0},
        {[](Bench& b) { b.s.rows[0].IncCheck = 0; }, {}, 0, "", false, 0, 0},
        {[](Bench& b) { b.SweepStopRequested = true; }, {}, 0, "", false, 0, 0},
        {[](Bench& b) { b.s.TargetName = u"HDSDR"_qs; }, {}, 0, noWindow, true, 7, 0},
        {[](Bench& b) { b.s.SufixStr = u"{NOSUCHKEY}"_qs; }, twoKeys, 0, noWindow, true, 7, 0},
        {[](Bench& b) { b.s.ViaTelnet = 1; }, {}, 1, "", false, 0, 0},
        {[](Bench& b) { b.s.ViaTelnet = 1, b.writeFails = true; }, {}, 0, "", true, 7, 1},
        {[](Bench& b) { b.s.ViaTelnet = 1, b.connected = false; }, {}, 0, notConnected, false, 0, 0},
        {[](Bench& b) { b.s.ViaTelnet = 1, b.connected = b.offersLink = false; }, {}, 0, "", false,
         0, 0},  // linked as a client: nothing to say
    };
    // clang-format on
    for (const Case& c : cases) {
        Bench b;
        b.fake.standardKeys.setCheckNotation(true);
        b.state.HandShake = true;
        c.setUp(b);
        b.state.DwellSecs = 7;
        b.step();
        const std::size_t at = c.message.find('%');
        const Strings& messages = b.fake.dialogs.messages();
        const std::string what = std::to_string(&c - cases);
        EXPECT_EQ(messages.size(), c.message.empty() ? 0u : 1u) << what;
        if (!messages.empty() && at != std::string::npos) {
            EXPECT_TRUE(messages[0].starts_with(c.message.substr(0, at)) &&
                        messages[0].ends_with(c.message.substr(at + 1)))
                << messages[0];
        } else if (!messages.empty()) {
            EXPECT_EQ(messages[0], c.message);
        }
        EXPECT_EQ(b.typed(), c.typed) << what;
        EXPECT_EQ(b.FreqOffset[0], c.offset) << what;
        EXPECT_EQ(b.hidden, c.failed) << what;
        EXPECT_EQ(b.state.DwellSecs, c.dwell) << what;
        EXPECT_EQ(b.telnetFailures, c.drops) << what;
        EXPECT_EQ(b.sent, b.s.ViaTelnet          ? "SKIMMER/QSY 14000"
                          : b.typed().size() > 1 ? "14000"
                                                 : "");
        EXPECT_FALSE(b.green || b.state.SweepStepping || b.SweepStopRequested) << what;
    }
}

TEST(SweepStartStop, Decisions) {
    using S = SweepStartStop;
    const S::Stop local{false, true, true}, telnet{false, true, false}, forward{true, false, false};
    const std::tuple<S::Situation, S::Start, S::Stop, S::Send> cases[] = {
        {{false, false, false, false}, S::Start::Local, local, S::Send::Keys},
        {{true, false, false, false}, S::Start::Nothing, local, S::Send::Keys},
        {{false, true, false, false}, S::Start::TelnetConnect, telnet, S::Send::Telnet},
        {{false, true, false, true}, S::Start::TelnetResume, telnet, S::Send::Telnet},
        {{false, false, true, false}, S::Start::Forward, forward, S::Send::Forward},
        {{false, true, true, false}, S::Start::TelnetConnect, telnet, S::Send::Telnet},
    };
    for (const auto& [situation, start, stop, send] : cases) {
        EXPECT_EQ(S::start(situation), start);
        EXPECT_EQ(S::stop(situation), stop);
        EXPECT_EQ(S::sending(situation), send);
        EXPECT_EQ(S::autoStartPresses(situation), !situation.linkedClient);
    }
}

}  // namespace
}  // namespace keyrelay
