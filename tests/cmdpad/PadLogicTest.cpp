#include <gtest/gtest.h>
#include <QFile>
#include <QTemporaryDir>
#include <map>
#include <tuple>

#include "cmdpad/PadTick.h"
#include "core/LineFile.h"
#include "fakes/FakePlatform.h"

namespace keyrelay {
namespace {

// The pad's logic ticking every second on the virtual clock; the window is a plain table.
struct PadRig : PadTarget {
    PadRig() {
        state.LogdeckFolder = dir.path() + QLatin1Char('/');
        fake.windows.addWindow("Target window");
        marker.setHoldSource([this] { return hold; });  // as the window wires it
        fake.standardKeys.setCheckNotation(true);
        clock.startTimer(1000, [this] { PadTick::run(state, marker, clock, *this, seq); });
    }
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
    void compress() override {}
    void loadSweepWindow() override {}
    void sweepDotRed() override { ++sweepReds; }
    void sweepTickDuties() override { ++sweepDuties; }

    // "period; keys:wait keys ... 12=keys" fills RepSec 0, then CMND i and RepSec i + 1.
    void fill(const char* text) {
        const QStringList parts = QString::fromLatin1(text).split(QLatin1Char(';'));
        secs[0] = parts[0].trimmed();
        int i = 0;
        for (const QString& c : parts.value(1).split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            const int at = c.startsWith(QLatin1String("12=")) ? 12 : i++;
            cmnd[at] = c.section(QLatin1Char(':'), 0, 0).remove(QLatin1String("12="));
            secs[at + 1] = c.section(QLatin1Char(':'), 1);
        }
    }
    void act(const std::string& name) {
        const std::map<std::string, std::function<void()>> acts = {
            {"start", [&] { seq.start(); }},
            {"auto", [&] { seq.autoStart(); }},
            {"stop", [&] { seq.stop(); }},
            {"hold", [&] { seq.toggleHold(); }},
            {"handshake", [&] { handshake = true; }},
            {"marker", [&] { LineFile::write(marker.path(), {QStringLiteral("XX")}); }},
            {"unmark", [&] { QFile::remove(marker.path()); }},
            {"take", [&] { marker.CheckBusy(); }},
            {"linked", [&] { state.LinkDotShown = true; }},
            {"busy", [&] { state.ChannelBusy = true; }},
            {"green", [&] { green = true; }},
            {"lost", [&] { title = QStringLiteral("Missing"); }},
            // Stops while the first round activates the target.
            {"stopAtActivation", [&] {
                 clock.setYieldHook(
                     [&] { fake.windows.activations().size() == 1 ? seq.stop() : void(); });
             }}};
        acts.at(name)();
    }
    // "name@ms" runs at that virtual time, "name" at once, in order, after the timed ones
    // are set (a round started at once runs to its end before returning).
    void script(const char* text) {
        const QStringList tokens = QString::fromLatin1(text).split(QLatin1Char(' '));
        for (const QString& token : tokens.filter(QStringLiteral("@"))) {
            const std::string name = token.section(QLatin1Char('@'), 0, 0).toStdString();
            auto id = std::make_shared<Clock::TimerId>();
            *id = clock.startTimer(token.section(QLatin1Char('@'), 1).toLongLong(), [=, this] {
                clock.stopTimer(*id);
                act(name);
            });
        }
        for (const QString& token : tokens) {
            if (!token.contains(QLatin1Char('@'))) {
                act(token.toStdString());
            }
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
        const auto add = [&](bool on, const char* word) {
            out += on ? (out.empty() ? "" : " ") + std::string(word) : "";
        };
        add(running, "running"), add(green, "green"), add(hold, "hold");
        add(state.ChannelBusy, "busy"), add(state.PadSending, "sending");
        add(marker.exists(), "marker"), add(state.OwnMarker, "own");
        add(sweepReds > 0, "sweep-red"), add(!fake.dialogs.messages().empty(), "message");
        return out;
    }

    QTemporaryDir dir;
    FakePlatform fake;
    VirtualClock& clock = fake.clock;
    ProgramState state;
    Delivery delivery{fake.platform()};
    BusyMarker marker{state};
    PadSequence seq{state, delivery, marker, *this};
    std::array<QString, 13> cmnd;
    std::array<QString, 16> secs;
    QString title = QStringLiteral("Target");
    bool handshake = false, running = false, green = false, hold = false;
    QString progress = QStringLiteral("0/0"), caption = QStringLiteral("Start");
    int sweepReds = 0, sweepDuties = 0;
};

TEST(PadLogic, RoundsHoldAndRecovery) {
    // fields, script, until ms, keys sent, what is on then
    const std::tuple<const char*, const char*, int, const char*, const char*> cases[] = {
        // The period counts from a round's start; empty: back to back; too short: next tick.
        {"60; a:2 b 12=z", "start", 70000, "a@0 b@2000 z@2000 a@60000 b@62000 z@62000", "running"},
        {"; a", "start", 3500, "a@0 a@1000 a@2000 a@3000", "running"},
        {"2; a:3.5 b", "start", 4500, "a@0 b@3500 a@4000 b@7500", "running"},
        // Stop lets the round finish (or ends it at its activation); Start counts anew.
        {"5; a:3 b", "start stop@1500", 60000, "a@0 b@3000", ""},
        {"10; a", "start stop@7500 start@8200", 18500, "a@0 a@8200 a@18000", "running"},
        {"10; a:2 b", "start start@500", 5000, "a@0 b@2000", "running"},
        {"5; a", "stopAtActivation start start@500", 600, "a@500", "running"},
        // Auto start is Start, but a linked client leaves the first round to the tick.
        {"5; a", "stop auto", 500, "a@0", "running"},
        {"5; a", "linked auto", 5500, "a@5000", "running"},
        // The handshake: a foreign marker holds rounds back, so does our own held one.
        {"5; a", "handshake marker start unmark@14500", 16000, "a@15000", "running"},
        {"2; a", "handshake hold start hold@9500", 10500, "a@10000", "running"},
        {"5; a", "lost start", 20000, "", "message"},       // a failure ends cycling
        {"5; a b {BAD} c", "start", 20000, "", "message"},  // so does a malformed command
        // Hold without the handshake: the dot goes (no marker), the channel after 30 s.
        {";", "hold", 29500, "", "busy"},
        {";", "hold", 30000, "", "sweep-red"},
        {";", "busy hold", 500, "", "busy"},
        {";", "handshake hold stop", 3500, "", "hold marker own"},  // Stop keeps it
        {";", "handshake hold unmark@3500", 4500, "", "own"},
        {";", "handshake take busy green", 30500, "", "sweep-red"},
    };
    for (const auto& [fields, script, untilMs, sent, flags] : cases) {
        SCOPED_TRACE(script);
        PadRig t;
        t.fill(fields);
        t.script(script);
        t.advanceTo(untilMs);
        EXPECT_EQ(t.sent(), sent);
        EXPECT_EQ(t.flags(), flags);
        EXPECT_EQ(t.caption, QLatin1String(t.running ? "Running" : "Start"));
        for (const std::string& m : t.fake.dialogs.messages()) {
            // A malformed command is named; the App Title advice is for a missing window.
            EXPECT_NE(m.ends_with(PadSequence::SequenceFailureAdvice), m.starts_with("Command 3: "))
                << m;
        }
    }
}

TEST(PadLogic, ProgressDotAndCounters) {
    PadRig t;
    t.fill(" 10 ; a:2.2");
    QStringList seen;  // read right after each tick; "*": the dot is green
    const auto sampler =
        t.clock.startTimer(1000, [&] { seen << t.progress + (t.green ? "*" : ""); });
    t.advanceTo(2500);
    t.seq.start();
    t.advanceTo(15000);
    // Nothing runs; the wait after command 1; the period, trimmed; the next round.
    EXPECT_EQ(seen.join(' '),
              "0/0 0/0 1/2.2* 2/2.2* 3/10 4/10 5/10 6/10 7/10 8/10 9/10 10/10* "
              "1/2.2* 2/2.2* 3/10");
    EXPECT_EQ(t.sweepDuties, 13);  // on each tick on which the pad runs

    t.secs[0] = QStringLiteral("9999");  // the counters start again at 0 past 4000
    t.state.SweepRunning = true;         // the sweep counts its dwell
    t.state.CycleSecs = t.state.DwellSecs = 3999;
    t.state.ElapsedSecs = 3998;
    t.clock.stopTimer(sampler);
    QStringList counters;  // cycle, elapsed, dwell after each tick
    for (int tick = 0; tick < 3; ++tick) {
        t.clock.advance(1000);
        counters << QString::asprintf("%d %d %d", t.state.CycleSecs, t.state.ElapsedSecs,
                                      t.state.DwellSecs);
    }
    EXPECT_EQ(counters.join(", "), "4000 3999 4000, 0 4000 0, 1 0 1");
}

}  // namespace
}  // namespace keyrelay
