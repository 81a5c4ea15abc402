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
// to, the handshake on; line 0 runs from 14000 to 14002 in steps of 1.
struct Bench : SweepStepTarget {
    Bench() {
        state.LogdeckFolder = dir.path() + QLatin1Char('/');
        state.HandShake = true;
        fake.windows.addWindow("CW Skimmer - 7 MHz");
        logger = fake.windows.addWindow("N1MM Logger+");
        fake.standardKeys.setCheckNotation(true);
        s.TargetName = u"CW Skimmer"_qs, s.ReturnApp = u"N1MM"_qs;
        s.PrefixStr = u"%CT"_qs, s.SufixStr = u"{ENTER}"_qs;
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
    void every(int ms, std::function<void()> f) { fake.clock.startTimer(ms, std::move(f)); }
    void stealFocus() {
        every(200, [this] { fake.windows.activate(logger); });
    }
    // Each string typed as "keys@ms window", the window shortened to its first word.
    Strings typed() const {
        Strings out;
        for (const auto& k : fake.standardKeys.sent()) {
            out.push_back(k.keys + "@" + std::to_string(k.atMs) + " " +
                          k.window.substr(0, k.window.find(' ')));
        }
        return out;
    }

    SweepSettings s;
    bool green = false, hidden = false, connected = true, offersLink = true, writeFails = false;
    QString sent;
    int telnetFailures = 0;
    WindowHandle logger = 0;
    QTemporaryDir dir;
    FakePlatform fake;
    ProgramState state;
    Delivery delivery{fake.platform()};
    BusyMarker marker{state};
};

// One step from a dwell of 7. A step that is held keeps the dwell; a failure stops the
// sweep (the dot goes out) and keeps it too, dropping the connection in telnet mode.
TEST(SweepStep, Outcomes) {
    using B = Bench&;
    const Strings all{"%CT@0 CW", "14000@500 CW", "{ENTER}@1500 CW"};
    struct Case {
        std::function<void(Bench&)> setUp;
        Strings typed;
        double offset;
        int dwell;
        bool failed = false;
        std::string message = "";  // "*": any one message
    };
    // clang-format off
    const Case cases[] = {
        {[](B) {}, all, 1, 0},
        {[](B b) { b.s.PrefixStr.clear(); }, {"14000@0 CW", "{ENTER}@1000 CW"}, 1, 0},
        {[](B b) { b.s.SufixStr.clear(); }, {"%CT@0 CW", "14000@500 CW"}, 0, 0},  // unconfirmed
        // The logger takes the focus every 200 ms: Check1 brings the target back each time.
        {[](B b) { b.s.Check1 = 1, b.stealFocus(); }, all, 1, 0},
        {[](B b) { b.stealFocus(); }, {"%CT@0 CW", "14000@500 N1MM", "{ENTER}@1500 N1MM"}, 1, 0},
        {[](B b) { b.every(700, [&b] { b.SweepStopRequested = true; }); }, all, 1, 0},  // finishes
        {[](B b) { b.state.ChannelBusy = true; }, {}, 0, 7},
        {[](B b) { LineFile::write(b.marker.path(), {u"XX"_qs}); }, {}, 0, 7},  // another's marker
        {[](B b) { b.s.rows[0].IncCheck = 0; }, {}, 0, 0},
        {[](B b) { b.SweepStopRequested = true; }, {}, 0, 0},
        {[](B b) { b.fake.windows.setActivateFailure(PlatformError(7, "gone")); }, {}, 0, 7, true,
         "Error 7 gone. Make sure what you entered as a title for the window is accurate and the "
         "target app is started."},
        {[](B b) { b.s.SufixStr = u"{NO}"_qs; }, {"%CT@0 CW", "14000@500 CW"}, 0, 7, true, "*"},
        {[](B b) { b.s.ViaTelnet = 1; }, {}, 1, 0},
        {[](B b) { b.s.ViaTelnet = 1, b.writeFails = true; }, {}, 0, 7, true},
        {[](B b) { b.s.ViaTelnet = 1, b.connected = false; }, {}, 0, 0, false, "You are not "
         "connected. You should either set this application as 'SERVER' or connect to a server "
         "as a client"},
        {[](B b) { b.s.ViaTelnet = 1, b.connected = b.offersLink = false; }, {}, 0, 0},  // linked
    };
    // clang-format on
    for (const Case& c : cases) {
        Bench b;
        c.setUp(b);
        bool markerTaken = false;
        b.every(400, [&] { markerTaken = markerTaken || b.marker.exists(); });
        b.state.DwellSecs = 7;
        b.step();
        const auto what = &c - cases;
        const Strings& messages = b.fake.dialogs.messages();
        EXPECT_EQ(messages.size(), c.message.empty() ? 0u : 1u) << what;
        EXPECT_TRUE(c.message.size() < 2 || messages == Strings{c.message}) << what;
        EXPECT_EQ(b.typed(), c.typed) << what;
        EXPECT_EQ(b.FreqOffset[0], c.offset) << what;
        EXPECT_EQ(b.state.DwellSecs, c.dwell) << what;
        EXPECT_EQ(b.hidden, c.failed) << what;
        EXPECT_EQ(b.telnetFailures, b.s.ViaTelnet && c.failed) << what;
        EXPECT_EQ(b.sent, b.s.ViaTelnet ? "SKIMMER/QSY 14000" : c.typed.size() > 1 ? "14000" : "");
        EXPECT_EQ(markerTaken && !b.marker.exists(), c.typed.size() > 1) << what;
        EXPECT_TRUE(c.typed.size() < 3 || b.fake.windows.foreground()->title == "N1MM Logger+");
        EXPECT_FALSE(b.green || b.state.SweepStepping || b.SweepStopRequested) << what;
    }
}

TEST(SweepStep, RangesRunToTheirEndAndStartAgain) {
    const std::tuple<const char*, bool, Strings> cases[] = {
        // "frequency>SweepLine after"
        {"14002", false, {"14000>0", "14001>0", "14002>1", "14000>0"}},
        {"14002", true, {"14000>0", "14001>0", "14002>0"}},  // the tick moves on
        {"13000", false, {"14000>1", "14000>1"}},  // an end below the start: the start always
    };
    for (const auto& [end, cycleBands, expected] : cases) {
        Bench b;
        b.s.rows[0].EndFreq = QString::fromLatin1(end);
        b.s.CycleBands = cycleBands;
        Strings steps;
        while (steps.size() < expected.size()) {
            b.state.SweepLine = 0;
            b.step();
            steps.push_back(b.sent.toStdString() + ">" + std::to_string(b.state.SweepLine));
        }
        EXPECT_EQ(steps, expected) << end << cycleBands;
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
