#include <gtest/gtest.h>
#include <QFile>
#include <QTemporaryDir>
#include <map>

#include "cmdpad/PadTick.h"
#include "core/LineFile.h"
#include "fakes/FakePlatform.h"

namespace keyrelay {
namespace {

// The pad window as a plain table.
struct FakePad : PadTarget {
    std::array<QString, 13> cmnd;
    std::array<QString, 16> secs;
    QString title = QStringLiteral("Target");
    bool handshake = false, running = false, green = false, hold = false, compressed = false;
    QString progress = QStringLiteral("0/0"), caption = QStringLiteral("Start");
    int sweepLoads = 0, sweepReds = 0, sweepDuties = 0;

    QString commandText(int i) override { return cmnd.at(i); }
    QString secondsText(int i) override { return secs.at(i); }
    QString appTitle() override { return title; }
    bool handshakeChecked() override { return handshake; }
    bool runningShown() override { return running; }
    void showRunning(bool shown) override { running = shown; }
    void setRunningGreen(bool on) override { green = on; }
    bool holdShown() override { return hold; }
    void showHold(bool shown) override { hold = shown; }
    void setProgress(const QString& text) override { progress = text; }
    void setStartCaption(const QString& text) override { caption = text; }
    void compress() override { compressed = true; }
    void loadSweepWindow() override { ++sweepLoads; }
    void sweepDotRed() override { ++sweepReds; }
    void sweepTickDuties() override { ++sweepDuties; }
};

// The pad's logic on the virtual clock, ticking every second as the window does.
struct PadRig {
    PadRig() {
        state.LogdeckFolder = dir.path() + QLatin1Char('/');
        fake.windows.addWindow("Other");
        fake.windows.addWindow("Target window");
        marker.setHoldSource([this] { return pad.hold; });  // as the window wires it
        clock.startTimer(1000, [this] { PadTick::run(state, marker, clock, pad, seq); });
    }
    // "period; keys:wait keys ..." fills RepSec 0 and CMND i / RepSec i + 1; CMND 12 is "z".
    void fill(const char* text) {
        const QStringList parts = QString::fromLatin1(text).split(QLatin1Char(';'));
        pad.secs[0] = parts[0].trimmed();
        int i = 0;
        for (const QString& c : parts.value(1).split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            pad.cmnd[i] = c.section(QLatin1Char(':'), 0, 0);
            pad.secs[++i] = c.section(QLatin1Char(':'), 1);
        }
        pad.cmnd[12] = QStringLiteral("z");
    }
    void act(const std::string& name) {
        const std::map<std::string, std::function<void()>> acts = {
            {"start", [&] { seq.start(); }},
            {"auto", [&] { seq.autoStart(); }},
            {"stop", [&] { seq.stop(); }},
            {"hold", [&] { seq.toggleHold(); }},
            {"handshake", [&] { pad.handshake = true; }},
            {"marker", [&] { LineFile::write(marker.path(), {QStringLiteral("XX")}); }},
            {"unmark", [&] { QFile::remove(marker.path()); }},
            {"take", [&] { marker.CheckBusy(); }},
            {"linked", [&] { state.LinkDotShown = true; }},
            {"busy", [&] { state.ChannelBusy = true; }},
            {"green", [&] { pad.green = true; }},
            {"strict", [&] { fake.standardKeys.setCheckNotation(true); }},
            {"lost", [&] { pad.title = QStringLiteral("Missing"); }},
            {"stopAtActivation", [&] {
                 clock.setYieldHook([this, once = true]() mutable {
                     if (once && !fake.windows.activations().empty()) {
                         once = false;
                         seq.stop();
                     }
                 });
             }}};
        acts.at(name)();
    }
    // "name@ms" runs at that virtual time, "name" at once, in order, after the timed ones
    // are set (a round started at once runs to its end before returning).
    void script(const char* text) {
        std::vector<std::string> now;
        for (const QString& token : QString::fromLatin1(text).split(QLatin1Char(' '))) {
            const std::string name = token.section(QLatin1Char('@'), 0, 0).toStdString();
            const std::int64_t atMs = token.section(QLatin1Char('@'), 1).toLongLong();
            if (atMs == 0) {
                now.push_back(name);
                continue;
            }
            auto id = std::make_shared<Clock::TimerId>();
            *id = clock.startTimer(atMs, [this, id, name] {
                clock.stopTimer(*id);
                act(name);
            });
        }
        for (const std::string& name : now) {
            act(name);
        }
    }
    void advanceTo(std::int64_t ms) { clock.advance(ms - clock.elapsedMs()); }
    std::string sent() const {
        std::string out;
        for (const auto& s : fake.standardKeys.sent()) {
            out += (out.empty() ? "" : " ") + s.keys + "@" + std::to_string(s.atMs);
            EXPECT_EQ(s.window, "Target window");
        }
        return out;
    }
    // What is on: the pad's dots, the channel, the marker, the sweep's dot, a message.
    std::string flags() const {
        std::string out;
        for (const auto& [on, word] : std::initializer_list<std::pair<bool, const char*>>{
                 {pad.running, "running"},
                 {pad.green, "green"},
                 {pad.hold, "hold"},
                 {state.ChannelBusy, "busy"},
                 {state.PadSending, "sending"},
                 {marker.exists(), "marker"},
                 {state.OwnMarker, "own"},
                 {pad.sweepReds > 0, "sweep-red"},
                 {!fake.dialogs.messages().empty(), "message"}}) {
            out += on ? (out.empty() ? "" : " ") + std::string(word) : "";
        }
        return out;
    }

    QTemporaryDir dir;
    FakePlatform fake;
    VirtualClock& clock = fake.clock;
    ProgramState state;
    Delivery delivery{fake.platform()};
    BusyMarker marker{state};
    FakePad pad;
    PadSequence seq{state, delivery, marker, pad};
};

struct PadLogicTest : ::testing::Test, PadRig {};

TEST(PadLogic, RoundsHoldAndRecovery) {
    struct Case {
        const char* name;
        const char* fields;
        const char* script;
        std::int64_t untilMs;
        const char* sent;
        const char* flags;
    };
    const Case cases[] = {
        {"each period from the round's start", "60; a:2 b", "start", 130000,
         "a@0 b@2000 z@2000 a@60000 b@62000 z@62000 a@120000 b@122000 z@122000", "running"},
        {"empty period: back to back", "; a", "start", 3500,
         "a@0 z@0 a@1000 z@1000 a@2000 z@2000 a@3000 z@3000", "running"},
        {"round longer than the period", "2; a:3.5 b", "start", 4500,
         "a@0 b@3500 z@3500 a@4000 b@7500 z@7500", "running"},
        {"stop lets the round finish", "5; a:3 b", "start stop@1500", 60000, "a@0 b@3000 z@3000",
         ""},
        {"restart counts anew", "10; a", "start stop@7500 start@8200", 18500,
         "a@0 z@0 a@8200 z@8200 a@18000 z@18000", "running"},
        {"start during a round", "10; a:2 b", "start start@500", 5000, "a@0 b@2000 z@2000",
         "running"},
        {"stop at activation, then start", "5; a", "stopAtActivation start start@500", 600,
         "a@500 z@500", "running"},
        {"stop before auto start", "5; a", "stop auto", 500, "a@0 z@0", "running"},
        {"auto start on a linked client", "5; a", "linked auto", 5500, "a@5000 z@5000", "running"},
        {"foreign marker holds back", "5; a", "handshake marker start unmark@14500", 16000,
         "a@15000 z@15000", "running"},
        // Tries at 0..15 s find it (the 16th deletes it), the one at 16 s takes it.
        {"stale foreign marker", "1; a", "handshake marker start", 16500, "a@16000 z@16000",
         "running"},
        {"hold keeps the marker", "2; a", "handshake hold start hold@9500", 10500,
         "a@10000 z@10000", "running"},
        {"no such window", "5; a {NOSUCHKEY} c", "strict lost start", 20000, "", "message"},
        {"malformed keys", "5; a {NOSUCHKEY} c", "strict start", 20000, "a@0", "message"},
        // Without the handshake, Hold takes the channel; the dot goes at the next tick as
        // there is no marker, the channel after 30 idle seconds.
        {"hold, 29 s", ";", "hold", 29500, "", "busy"},
        {"hold, 30 s", ";", "hold", 30000, "", "sweep-red"},
        {"hold on a busy channel", ";", "busy hold", 500, "", "busy"},
        {"hold with the handshake", ";", "handshake hold", 3500, "", "hold marker own"},
        {"marker gone ends the hold", ";", "handshake hold unmark@3500", 4500, "", "own"},
        {"recovery releases an own marker", ";", "handshake take busy green", 30500, "",
         "sweep-red"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PadRig t;
        t.fill(c.fields);
        t.script(c.script);
        t.advanceTo(c.untilMs);
        t.clock.setYieldHook({});
        EXPECT_EQ(t.sent(), c.sent);
        EXPECT_EQ(t.flags(), c.flags);
        EXPECT_EQ(t.pad.caption, QLatin1String(t.pad.running ? "Running" : "Start"));
        for (const std::string& m : t.fake.dialogs.messages()) {
            EXPECT_TRUE(m.ends_with(PadSequence::SequenceFailureAdvice)) << m;
        }
    }
}

TEST_F(PadLogicTest, ProgressAndDotFollowTheRound) {
    fill(" 10 ; a:2.2");
    std::vector<QString> seen;  // read right after each tick; "*": the dot is green
    clock.startTimer(1000, [&] { seen.push_back(pad.progress + (pad.green ? "*" : "")); });
    advanceTo(2500);
    seq.start();
    advanceTo(15000);
    const std::vector<QString> expected = {"0/0",    "0/0",     // nothing runs
                                           "1/2.2*", "2/2.2*",  // the wait after command 1
                                           "3/10",   "4/10",   "5/10", "6/10",
                                           "7/10",   "8/10",   "9/10",  // then the period, trimmed
                                           "10/10*",                    // the next round begins
                                           "1/2.2*", "2/2.2*", "3/10"};
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(pad.sweepDuties, 13);  // on each tick on which the pad runs
    EXPECT_EQ(pad.sweepLoads, 15);   // on every tick
}

TEST_F(PadLogicTest, CountersStartAgainPastFourThousand) {
    fill("9999;");
    seq.start();
    state.SweepRunning = true;  // the sweep counts its dwell
    state.CycleSecs = 3999;
    state.ElapsedSecs = 3998;
    state.DwellSecs = 3999;
    const std::array<int, 3> steps[] = {{4000, 3999, 4000}, {0, 4000, 0}, {1, 0, 1}};
    for (const auto& e : steps) {
        clock.advance(1000);
        EXPECT_EQ((std::array<int, 3>{state.CycleSecs, state.ElapsedSecs, state.DwellSecs}), e);
    }
    EXPECT_EQ(pad.progress, QStringLiteral("0/9999"));  // after the round: the period
}

}  // namespace
}  // namespace keyrelay
