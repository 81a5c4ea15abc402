// The sweep on the fake desktop: Start, the steps the main window's tick makes, Stop, and
// what a failing step does. Time is virtual: the tick fires every 1000 ms and the waits
// of a step (0.5 s after the prefix, 1 s after the frequency, 0.5 s after the suffix)
// move the clock.
#include <gtest/gtest.h>
#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QFile>
#include <QLineEdit>
#include <QPointer>

#include "SweepHarness.h"
#include "ui/Indicator.h"
#include "core/LineFile.h"

namespace keyrelay {
namespace {

using Strings = std::vector<std::string>;
using Times = std::vector<std::int64_t>;

class SweepScheduler : public ::testing::Test {
protected:
    // The main window with its tick, a target "CW Skimmer" and a logger to return to.
    SweepScheduler() {
        h.pad();
        h.fake.windows.addWindow("CW Skimmer - 7 MHz");
        h.fake.windows.addWindow("N1MM Logger+");
        QsySweep& s = h.sweep();
        s.TargetName->setText(QStringLiteral("CW Skimmer"));
        s.PrefixStr->setText(QStringLiteral("%CT"));
        s.SufixStr->setText(QStringLiteral("{ENTER}"));
    }

    SweepHarness h;
};

TEST_F(SweepScheduler, OneLineStepsThroughItsRangeAndStartsAgain) {
    h.setLine(0, "14000", "14002", "1", "10");
    h.sweep().Command2_Click();
    EXPECT_EQ(h.typed(), (Strings{"%CT", "14000", "{ENTER}"}));
    EXPECT_EQ(h.typedAt(), (Times{0, 500, 1500}));
    EXPECT_EQ(h.sweep().Text1->text(), "14000");

    h.seconds(45);
    EXPECT_EQ(h.frequencies(), (Strings{"14000", "14001", "14002", "14000"}));
    // A step takes two seconds; the tick inside its last wait sees it still under way,
    // the step then restarts the dwell, and eleven ticks later DwellSecs is past 10.
    EXPECT_EQ(h.frequenciesAt(), (Times{500, 13500, 26500, 39500}));
    EXPECT_TRUE(h.messages().empty());
}

TEST_F(SweepScheduler, TheStepComesOnTheFirstTickPastTheDwell) {
    for (int dwell : {0, 1, 4}) {
        SweepHarness fresh;
        fresh.pad();
        fresh.fake.windows.addWindow("CW Skimmer");
        QsySweep& s = fresh.sweep();
        s.TargetName->setText(QStringLiteral("CW Skimmer"));
        s.SufixStr->setText(QStringLiteral("~"));
        fresh.setLine(0, "7000", "7100", "1", std::to_string(dwell).c_str());
        s.Command2_Click();
        fresh.seconds(30);
        const Times at = fresh.frequenciesAt();
        ASSERT_GE(at.size(), 3u) << dwell;
        // No prefix: the frequency is typed as the step begins, on a tick; the step ends
        // 1.5 s later, past the tick inside it.
        for (std::size_t i = 1; i < at.size(); ++i) {
            EXPECT_EQ(at[i] - at[i - 1], (dwell + 2) * 1000) << dwell;
            EXPECT_EQ(at[i] % 1000, 0) << dwell;
        }
    }
}

TEST_F(SweepScheduler, CycleBandsTakesTheIncludedLinesInTurn) {
    h.setLine(0, "14000", "14002", "1", "0");
    h.setLine(1, "7000", "7001", "1", "0");
    h.sweep().CycleBands->setChecked(true);
    h.sweep().Command2_Click();
    h.seconds(20);
    const Strings f = h.frequencies();
    ASSERT_GE(f.size(), 7u);
    EXPECT_EQ(Strings(f.begin(), f.begin() + 7),
              (Strings{"14000", "14001", "7000", "14002", "7001", "14000", "7000"}));
}

TEST_F(SweepScheduler, AnEndBelowTheStartSendsTheStartEveryTime) {
    h.setLine(0, "14000", "13000", "1", "0");
    h.sweep().Command2_Click();
    h.seconds(12);
    const Strings f = h.frequencies();
    ASSERT_GE(f.size(), 3u);
    for (const auto& freq : f) {
        EXPECT_EQ(freq, "14000");
    }
    EXPECT_EQ(h.sweep().FreqOffset[0], 0);
}

TEST_F(SweepScheduler, StopWhileIdleThenStartCarriesOnAtTheNextFrequency) {
    h.setLine(3, "3500", "3510", "2.5", "5");
    h.state.SweepLine = 3;
    QsySweep& s = h.sweep();
    s.Command2_Click();
    h.seconds(3);
    s.Command3_Click();
    EXPECT_TRUE(s.Shape1->isHidden());
    EXPECT_EQ(s.Shape1->fillColor(), Indicator::Red);
    EXPECT_FALSE(h.state.ChannelBusy);
    h.seconds(30);
    EXPECT_EQ(h.frequencies(), (Strings{"3500"}));

    s.Command2_Click();
    EXPECT_FALSE(s.Shape1->isHidden());
    EXPECT_EQ(h.frequencies(), (Strings{"3500", "3502.5"}));
    EXPECT_EQ(h.state.SweepLine, 3);
}

TEST_F(SweepScheduler, StopDuringAStepLetsItFinishItsKeystrokes) {
    h.setLine(0, "14000", "14002", "1", "0");
    QsySweep& s = h.sweep();
    bool greenWhileSending = false;
    h.at(700, [&] {
        greenWhileSending = s.Shape1->fillColor() == Indicator::Green;
        s.Command3_Click();
    });
    s.Command2_Click();
    EXPECT_TRUE(greenWhileSending);
    EXPECT_EQ(h.typed(), (Strings{"%CT", "14000", "{ENTER}"}));
    EXPECT_EQ(s.FreqOffset[0], 1);
    EXPECT_TRUE(s.Shape1->isHidden());
    EXPECT_FALSE(s.SweepStopRequested);
    EXPECT_FALSE(h.state.SweepStepping);
    EXPECT_FALSE(h.state.ChannelBusy);
    h.seconds(10);
    EXPECT_EQ(h.frequencies(), (Strings{"14000"}));
}

TEST_F(SweepScheduler, WithoutASuffixTheSameFrequencyIsSentEveryStep) {
    h.setLine(0, "14000", "14002", "1", "0");
    QsySweep& s = h.sweep();
    s.SufixStr->clear();
    s.ReturnApp->setText(QStringLiteral("N1MM"));
    s.Command2_Click();
    h.seconds(8);
    const Strings f = h.frequencies();
    ASSERT_GE(f.size(), 2u);
    for (const auto& freq : f) {
        EXPECT_EQ(freq, "14000");
    }
    EXPECT_EQ(s.FreqOffset[0], 0);
    // The logger comes to the front at the end of each step.
    EXPECT_EQ(h.fake.windows.foreground()->title, "N1MM Logger+");
}

TEST_F(SweepScheduler, WithoutAPrefixTheFrequencyIsTypedAtOnce) {
    h.setLine(0, "14000", "14002", "1", "0");
    h.sweep().PrefixStr->clear();
    h.sweep().Command2_Click();
    EXPECT_EQ(h.typed(), (Strings{"14000", "{ENTER}"}));
    EXPECT_EQ(h.typedAt(), (Times{0, 1000}));
}

TEST_F(SweepScheduler, ReactivatesTheTargetBeforeEachStringWhenAsked) {
    h.setLine(0, "14000", "14002", "1", "0");
    QsySweep& s = h.sweep();
    s.Check1->setChecked(true);
    s.ReturnApp->setText(QStringLiteral("N1MM"));
    // Something else takes the focus during the waits.
    h.at(200, [&] { h.fake.windows.activate(h.fake.windows.topLevelWindows().back().handle); });
    s.Command2_Click();
    for (const auto& sent : h.fake.standardKeys.sent()) {
        EXPECT_EQ(sent.window, "CW Skimmer - 7 MHz") << sent.keys;
    }
    EXPECT_EQ(h.fake.windows.foreground()->title, "N1MM Logger+");
}

TEST_F(SweepScheduler, NoMatchingWindowStopsTheSweepWithAMessage) {
    h.setLine(0, "14000", "14002", "1", "0");
    QsySweep& s = h.sweep();
    s.TargetName->setText(QStringLiteral("HDSDR"));
    s.Command2_Click();
    ASSERT_EQ(h.messages().size(), 1u);
    const std::string& m = h.messages()[0];
    EXPECT_EQ(m.rfind("Error 5 ", 0), 0u) << m;
    const std::string tail =
        ". Make sure what you entered as a title for the window is accurate and the target "
        "app is started.";
    EXPECT_EQ(m.substr(m.size() - tail.size()), tail) << m;
    EXPECT_TRUE(s.Shape1->isHidden());
    EXPECT_EQ(s.Shape1->fillColor(), Indicator::Red);
    EXPECT_TRUE(h.typed().empty());
    EXPECT_FALSE(h.state.ChannelBusy);
    EXPECT_FALSE(h.state.SweepStepping);
    h.seconds(10);
    EXPECT_TRUE(h.typed().empty());
}

TEST_F(SweepScheduler, AKeystrokeFailureMidStepStopsTheSweep) {
    h.setLine(0, "14000", "14002", "1", "0");
    QsySweep& s = h.sweep();
    s.SufixStr->setText(QStringLiteral("{NOSUCHKEY}"));
    h.fake.standardKeys.setCheckNotation(true);
    s.Command2_Click();
    EXPECT_EQ(h.typed(), (Strings{"%CT", "14000"}));
    ASSERT_EQ(h.messages().size(), 1u);
    EXPECT_EQ(h.messages()[0].rfind("Error 5 ", 0), 0u);
    EXPECT_TRUE(s.Shape1->isHidden());
    EXPECT_EQ(s.FreqOffset[0], 0);  // the line did not move on
}

TEST_F(SweepScheduler, AForeignBusyMarkerHoldsTheStepsUntilItGoes) {
    h.setLine(0, "14000", "14002", "1", "0");
    h.pad().HandShake->setChecked(true);
    const QString markerPath = h.marker.path();
    ASSERT_TRUE(LineFile::write(markerPath, {QStringLiteral("XX")}));

    QsySweep& s = h.sweep();
    s.Command2_Click();
    h.seconds(5);
    EXPECT_TRUE(h.typed().empty());
    EXPECT_FALSE(s.Shape1->isHidden());
    EXPECT_FALSE(h.state.OwnMarker);

    QFile::remove(markerPath);
    h.seconds(1);
    EXPECT_EQ(h.frequencies(), (Strings{"14000"}));
    h.seconds(2);
    // Taken for the step and given back after it.
    EXPECT_FALSE(h.state.OwnMarker);
    EXPECT_FALSE(QFile::exists(markerPath));
}

TEST_F(SweepScheduler, ABusyChannelHoldsTheStep) {
    h.setLine(0, "14000", "14002", "1", "0");
    h.state.ChannelBusy = true;
    h.sweep().Command2_Click();
    EXPECT_TRUE(h.typed().empty());
    EXPECT_FALSE(h.state.SweepStepping);
    h.state.ChannelBusy = false;
    h.seconds(2);
    EXPECT_EQ(h.frequencies(), (Strings{"14000"}));
}

TEST_F(SweepScheduler, TimeWindowsChooseTheLineThatSteps) {
    h.fake.clock.setLocalTime(12, 0);
    h.setLine(0, "14000", "14100", "1", "1");
    h.setLine(1, "7000", "7100", "1", "1");
    h.setLine(2, "3500", "3600", "1", "1");
    QsySweep& s = h.sweep();
    s.StartTime[0]->setText(QStringLiteral("22:00"));  // across midnight: never
    s.EndTime[0]->setText(QStringLiteral("02:00"));
    s.StartTime[1]->setText(QStringLiteral("12:00"));
    s.EndTime[1]->setText(QStringLiteral("12:00"));  // one minute
    s.StartTime[2]->setText(QStringLiteral("00:00"));
    s.EndTime[2]->setText(QString());
    s.Command2_Click();  // Start steps the line it is on, window or not
    h.seconds(50);
    Strings f = h.frequencies();
    ASSERT_GE(f.size(), 3u);
    EXPECT_EQ(f[0], "14000");
    EXPECT_EQ(f[1], "7000");
    EXPECT_EQ(f.back()[0], '7');
    h.seconds(60);  // now past 12:00: line 2 takes over
    f = h.frequencies();
    EXPECT_EQ(f.back().substr(0, 2), "35");
    EXPECT_EQ(h.state.SweepLine, 2);
}

TEST_F(SweepScheduler, AllLinesOutsideTheirWindowsKeepTheLineStepping) {
    h.fake.clock.setLocalTime(12, 0);
    h.setLine(0, "14000", "14100", "1", "2");
    h.setLine(4, "7000", "7100", "1", "2");
    QsySweep& s = h.sweep();
    s.StartTime[0]->setText(QStringLiteral("08:00"));
    s.EndTime[0]->setText(QStringLiteral("09:00"));
    s.StartTime[4]->setText(QStringLiteral("22:00"));
    s.EndTime[4]->setText(QStringLiteral("02:00"));
    s.Command2_Click();
    h.seconds(20);
    const Strings f = h.frequencies();
    EXPECT_GE(f.size(), 4u);
    for (const auto& freq : f) {
        EXPECT_EQ(freq.substr(0, 3), "140");
    }
    EXPECT_EQ(h.state.SweepLine, 0);
}

TEST_F(SweepScheduler, CountersPastFourThousandStartAgainFromZero) {
    h.setLine(0, "14000", "14002", "1", "5000");  // longer than the counter goes
    h.sweep().Command2_Click();
    h.seconds(4010);
    EXPECT_EQ(h.frequencies(), (Strings{"14000"}));
    EXPECT_GE(h.state.DwellSecs, 0);
    EXPECT_LE(h.state.DwellSecs, 20);
    EXPECT_FALSE(h.sweep().Shape1->isHidden());
}

TEST_F(SweepScheduler, AFractionalStepShowsNoRoundingNoise) {
    h.setLine(0, "14000", "14001", "0.1", "0");
    h.sweep().Command2_Click();
    h.seconds(8);
    const Strings f = h.frequencies();
    ASSERT_GE(f.size(), 4u);
    EXPECT_EQ(Strings(f.begin(), f.begin() + 4),
              (Strings{"14000", "14000.1", "14000.2", "14000.3"}));
}

TEST_F(SweepScheduler, ALineNotIncludedAtTheStepSendsNothingButRestartsTheDwell) {
    h.setLine(0, "14000", "14002", "1", "0");
    h.sweep().IncCheck[0]->setChecked(false);
    h.state.DwellSecs = 7;
    h.sweep().StartIt();
    EXPECT_TRUE(h.typed().empty());
    EXPECT_EQ(h.state.DwellSecs, 0);
    EXPECT_FALSE(h.sweep().Shape1->isHidden());
}

TEST_F(SweepScheduler, StartWhileRunningDoesNothing) {
    h.setLine(0, "14000", "14002", "1", "30");
    h.sweep().Command2_Click();
    h.sweep().Command2_Click();
    EXPECT_EQ(h.frequencies(), (Strings{"14000"}));
}

TEST_F(SweepScheduler, QuitDuringAStepLetsTheStepFinishBeforeTheWindowGoes) {
    h.setLine(0, "14000", "14002", "1", "0");
    QPointer<QsySweep> s = &h.sweep();
    h.at(700, [&] {
        s->Command1_Click();
        // Whatever the event loop does meanwhile, the window stays until the step ends.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_FALSE(s.isNull());
    });
    s->Command2_Click();
    EXPECT_EQ(h.typed(), (Strings{"%CT", "14000", "{ENTER}"}));
    // The tick inside the step has already loaded the window afresh (hidden, stopped).
    QsySweep* reloaded = h.windows.ifLoaded<QsySweep>();
    ASSERT_NE(reloaded, nullptr);
    EXPECT_NE(reloaded, s.data());
    EXPECT_TRUE(reloaded->Shape1->isHidden());
    EXPECT_TRUE(reloaded->isHidden());
    EXPECT_FALSE(h.state.ChannelBusy);
    EXPECT_FALSE(h.state.SweepStepping);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(s.isNull());
    // The settings were saved when the window closed.
    const auto saved = LineFile::read(h.folder() + QStringLiteral("/QsySweep.txt"));
    ASSERT_TRUE(saved.has_value());
    EXPECT_EQ(saved->size(), 88);
    EXPECT_EQ((*saved)[3], "14000");
}

TEST_F(SweepScheduler, TelnetStepsWithoutAConnectionSayNotConnected) {
    h.setLine(0, "14000", "14002", "1", "0");
    QsySweep& s = h.sweep();
    s.ViaTelnet->setChecked(true);  // telnet sends, but not the telnet mode of Start
    s.Command2_Click();
    EXPECT_EQ(s.Text1->text(), "SKIMMER/QSY 14000");
    ASSERT_EQ(h.messages().size(), 1u);
    EXPECT_EQ(h.messages()[0],
              "You are not connected. You should either set this application as 'SERVER' or "
              "connect to a server as a client");
    EXPECT_TRUE(h.typed().empty());
    EXPECT_EQ(s.FreqOffset[0], 0);
    EXPECT_FALSE(s.Shape1->isHidden());  // the sweep keeps running and tries again
    EXPECT_FALSE(h.state.ChannelBusy);
    EXPECT_FALSE(h.state.SweepStepping);
    h.seconds(3);
    EXPECT_GE(h.messages().size(), 2u);

    s.Connect->setText(QStringLiteral("Disconnect"));
    const auto before = h.messages().size();
    h.seconds(3);
    EXPECT_EQ(h.messages().size(), before);
}

TEST_F(SweepScheduler, AWindowJustShownComesToTheFrontBeforeTheFirstStep) {
    h.setLine(0, "14000", "14002", "1", "30");
    h.sweep().PrefixStr->clear();
    // The window manager activates the new window 300 ms after it was shown.
    h.sweep().show();
    h.at(300, [&] {
        QEvent activate(QEvent::WindowActivate);
        QCoreApplication::sendEvent(&h.sweep(), &activate);
    });
    h.sweep().Command2_Click();
    EXPECT_EQ(h.frequenciesAt(), (Times{300}));

    // Shown again, and never activated: the first step waits a second at most.
    SweepHarness other;
    other.pad();
    other.fake.windows.addWindow("CW Skimmer");
    QsySweep& s = other.sweep();
    s.TargetName->setText(QStringLiteral("CW Skimmer"));
    other.setLine(0, "7000", "7002", "1", "30");
    s.show();
    s.Command2_Click();
    EXPECT_EQ(other.frequenciesAt(), (Times{1000}));
    s.Command3_Click();
    s.Command2_Click();  // once is enough
    EXPECT_EQ(other.frequenciesAt(), (Times{1000, 2000}));
}

TEST_F(SweepScheduler, StartInTelnetModeWithoutTheDecoderSaysSo) {
    h.setLine(0, "14000", "14002", "1", "0");
    QsySweep& s = h.sweep();
    s.ViaTelnet->setChecked(true);
    s.ImAServer->setChecked(true);
    s.Command2_Click();
    EXPECT_EQ(h.messages(), (Strings{"Unable to attach to local telnet. Is CW Skimmer started"}));
    EXPECT_TRUE(s.Shape1->isHidden());
    EXPECT_TRUE(h.typed().empty());
}

}  // namespace
}  // namespace keyrelay
