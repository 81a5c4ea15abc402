#include <gtest/gtest.h>
#include <QCheckBox>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>

#include "ui/Indicator.h"
#include "support/TestProgram.h"

namespace keyrelay {
namespace {

using Sends = std::vector<std::pair<std::string, std::int64_t>>;

class CommandCyclingTest : public ::testing::Test {
protected:
    CommandCyclingTest() : pad(p.pad()), clock(p.fake.clock) {
        p.fake.windows.addWindow("Other");
        target = p.fake.windows.addWindow("Target window");
        pad.AppTitle->setText(QStringLiteral("Target"));
    }

    // Keys sent by the standard path with their virtual times.
    Sends sent(const RecordingKeyInjector& keys) const {
        Sends out;
        for (const auto& s : keys.sent()) {
            out.emplace_back(s.keys, s.atMs);
        }
        return out;
    }
    Sends sent() const { return sent(p.fake.standardKeys); }

    // Runs `action` once at virtual time `atMs`.
    void at(std::int64_t atMs, std::function<void()> action) {
        auto id = std::make_shared<Clock::TimerId>();
        *id = clock.startTimer(atMs - clock.elapsedMs(), [this, id, action] {
            clock.stopTimer(*id);
            action();
        });
    }

    void advanceTo(std::int64_t ms) { clock.advance(ms - clock.elapsedMs()); }

    bool running() const { return !pad.Shape1->isHidden(); }

    test::TestProgram p;
    CmdPadF& pad;
    VirtualClock& clock;
    WindowHandle target = 0;
};

TEST_F(CommandCyclingTest, FirstSequenceAtOnceThenEveryPeriodFromItsStart) {
    pad.RepSec[0]->setText(QStringLiteral("60"));
    pad.CMND[0]->setText(QStringLiteral("a"));
    pad.RepSec[1]->setText(QStringLiteral("2"));
    pad.CMND[1]->setText(QStringLiteral("b"));
    pad.CMND[12]->setText(QStringLiteral("z"));

    pad.StartIt();
    EXPECT_EQ(sent(), (Sends{{"a", 0}, {"b", 2000}, {"z", 2000}}));
    EXPECT_TRUE(running());
    EXPECT_EQ(pad.Command2->text(), QStringLiteral("Running"));
    EXPECT_FALSE(p.state.ChannelBusy);
    EXPECT_EQ(pad.Shape1->fillColor(), Indicator::Red);

    advanceTo(130000);
    EXPECT_EQ(sent(), (Sends{{"a", 0},
                             {"b", 2000},
                             {"z", 2000},
                             {"a", 60000},
                             {"b", 62000},
                             {"z", 62000},
                             {"a", 120000},
                             {"b", 122000},
                             {"z", 122000}}));
    // Every key went to the target, activated at the start of each sequence.
    for (const auto& s : p.fake.standardKeys.sent()) {
        EXPECT_EQ(s.window, "Target window");
    }
    EXPECT_EQ(p.fake.windows.activations().size(), 3u);
}

TEST_F(CommandCyclingTest, IndicatorIsGreenOnlyWhileASequenceIsSent) {
    pad.CMND[0]->setText(QStringLiteral("a"));
    pad.RepSec[1]->setText(QStringLiteral("2"));
    pad.RepSec[0]->setText(QStringLiteral("10"));
    std::vector<std::pair<bool, bool>> seen;  // (green, channel busy) after each tick
    at(1500, [&] {
        seen.emplace_back(pad.Shape1->fillColor() == Indicator::Green, p.state.ChannelBusy);
    });
    at(5500, [&] {
        seen.emplace_back(pad.Shape1->fillColor() == Indicator::Green, p.state.ChannelBusy);
    });
    pad.StartIt();
    advanceTo(6000);
    EXPECT_EQ(seen, (std::vector<std::pair<bool, bool>>{{true, true}, {false, false}}));
}

TEST_F(CommandCyclingTest, ProgressShowsTheWaitDuringASequenceAndThePeriodBetween) {
    pad.RepSec[0]->setText(QStringLiteral(" 10 "));
    pad.CMND[0]->setText(QStringLiteral("a"));
    pad.RepSec[1]->setText(QStringLiteral("2.2"));
    std::vector<QString> shown;
    // Armed after the tick, so it reads the box right after each tick.
    clock.startTimer(1000, [&] { shown.push_back(pad.Text1->text()); });

    advanceTo(2500);
    pad.StartIt();
    advanceTo(15000);
    const std::vector<QString> expected = {"0/0",   "0/0",    // nothing runs
                                           "1/2.2", "2/2.2",  // the wait after command 1
                                           "3/10",  "4/10",  "5/10",
                                           "6/10",  "7/10",  "8/10",  // then the period, trimmed
                                           "9/10",  "10/10",  // 12 s: the next sequence starts
                                           "1/2.2", "2/2.2", "3/10"};
    EXPECT_EQ(shown, expected);
}

TEST_F(CommandCyclingTest, EmptyPeriodSendsSequencesBackToBack) {
    pad.CMND[0]->setText(QStringLiteral("a"));
    pad.StartIt();
    advanceTo(4500);
    EXPECT_EQ(sent(), (Sends{{"a", 0}, {"a", 1000}, {"a", 2000}, {"a", 3000}, {"a", 4000}}));
}

TEST_F(CommandCyclingTest, SequenceLongerThanThePeriodIsFollowedOnTheNextTick) {
    pad.RepSec[0]->setText(QStringLiteral("2"));
    pad.CMND[0]->setText(QStringLiteral("a"));
    pad.RepSec[1]->setText(QStringLiteral("3.5"));
    pad.CMND[1]->setText(QStringLiteral("b"));
    pad.StartIt();
    advanceTo(8500);  // the sequence begun at 8 s finishes inside
    EXPECT_EQ(sent(),
              (Sends{{"a", 0}, {"b", 3500}, {"a", 4000}, {"b", 7500}, {"a", 8000}, {"b", 11500}}));
}

TEST_F(CommandCyclingTest, StopDuringASequenceLetsItFinishAndSendsNoMore) {
    pad.RepSec[0]->setText(QStringLiteral("5"));
    pad.CMND[0]->setText(QStringLiteral("a"));
    pad.RepSec[1]->setText(QStringLiteral("3"));
    pad.CMND[1]->setText(QStringLiteral("b"));
    at(1500, [&] { pad.Command3_MouseUp(); });
    pad.StartIt();
    EXPECT_EQ(sent(), (Sends{{"a", 0}, {"b", 3000}}));
    EXPECT_FALSE(running());
    EXPECT_EQ(pad.Command2->text(), QStringLiteral("Start"));
    EXPECT_FALSE(pad.StopRequested);
    advanceTo(60000);
    EXPECT_EQ(sent().size(), 2u);
    EXPECT_FALSE(p.state.ChannelBusy);
    EXPECT_EQ(pad.Text1->text(), QStringLiteral("0/0"));
}

TEST_F(CommandCyclingTest, StopWhileTheTargetIsActivatedSendsNothing) {
    pad.CMND[0]->setText(QStringLiteral("a"));
    pad.RepSec[0]->setText(QStringLiteral("5"));
    bool stopped = false;
    clock.setYieldHook([&] {
        if (!stopped && p.fake.windows.activations().size() == 1) {
            stopped = true;
            pad.Command3_MouseUp();
        }
    });
    pad.StartIt();
    clock.setYieldHook({});
    EXPECT_TRUE(stopped);
    EXPECT_TRUE(sent().empty());
    EXPECT_FALSE(p.state.PadSending);
    EXPECT_FALSE(p.state.ChannelBusy);
    EXPECT_FALSE(running());

    // Start clears the request: the next Start sends.
    pad.StartIt();
    EXPECT_EQ(sent(), (Sends{{"a", 0}}));
}

TEST_F(CommandCyclingTest, StopReactsToAMouseReleaseOverTheButtonOnly) {
    pad.RepSec[0]->setText(QStringLiteral("100"));
    pad.StartIt();
    ASSERT_TRUE(running());
    QPushButton* stop = pad.Command3;
    const QPointF inside(stop->width() / 2.0, stop->height() / 2.0);
    const QPointF outside(stop->width() + 20.0, stop->height() + 20.0);

    // The keyboard's space and Enter click the button but must not stop the pad.
    for (int key : {Qt::Key_Space, Qt::Key_Return, Qt::Key_Enter}) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
        QCoreApplication::sendEvent(stop, &press);
        QCoreApplication::sendEvent(stop, &release);
    }
    EXPECT_TRUE(running());

    // A press alone does nothing; a release away from the button does nothing.
    QMouseEvent press(QEvent::MouseButtonPress, inside, stop->mapToGlobal(inside), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(stop, &press);
    EXPECT_TRUE(running());
    QMouseEvent away(QEvent::MouseButtonRelease, outside, stop->mapToGlobal(outside),
                     Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(stop, &away);
    EXPECT_TRUE(running());

    QCoreApplication::sendEvent(stop, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, inside, stop->mapToGlobal(inside),
                        Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(stop, &release);
    EXPECT_FALSE(running());
    EXPECT_EQ(pad.Command2->text(), QStringLiteral("Start"));
}

TEST_F(CommandCyclingTest, FailedSequenceEndsCyclingWithItsMessage) {
    struct Case {
        const char* name;
        const char* title;
        const char* second;  // the second command
        std::size_t keysSent;
    };
    const Case cases[] = {
        {"no window", "Missing", "b", 0},
        {"malformed keys", "Target", "{NOSUCHKEY}", 1},  // the first one stays sent
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::TestProgram q;
        q.fake.windows.addWindow("Target window");
        q.fake.standardKeys.setCheckNotation(true);
        CmdPadF& w = q.pad();
        w.AppTitle->setText(QString::fromLatin1(c.title));
        w.RepSec[0]->setText(QStringLiteral("5"));
        w.CMND[0]->setText(QStringLiteral("a"));
        w.CMND[1]->setText(QString::fromLatin1(c.second));
        w.CMND[2]->setText(QStringLiteral("c"));
        w.StartIt();

        ASSERT_EQ(q.fake.dialogs.messages().size(), 1u);
        const std::string& text = q.fake.dialogs.messages()[0];
        const std::string advice = CmdPadF::SequenceFailureAdvice;
        ASSERT_GT(text.size(), advice.size());
        EXPECT_EQ(text.substr(text.size() - advice.size()), advice);
        EXPECT_EQ(q.fake.standardKeys.sent().size(), c.keysSent);
        EXPECT_TRUE(w.Shape1->isHidden());
        EXPECT_EQ(w.Command2->text(), QStringLiteral("Start"));
        EXPECT_FALSE(q.state.ChannelBusy);
        EXPECT_FALSE(q.state.PadSending);

        // Cycling is off: the tick does not try again.
        q.fake.clock.advance(20000);
        EXPECT_EQ(q.fake.dialogs.messages().size(), 1u);
        EXPECT_EQ(q.fake.standardKeys.sent().size(), c.keysSent);
    }
}

TEST_F(CommandCyclingTest, StartWhileASequenceIsSentIsIgnored) {
    pad.RepSec[0]->setText(QStringLiteral("10"));
    pad.CMND[0]->setText(QStringLiteral("a"));
    pad.RepSec[1]->setText(QStringLiteral("2"));
    pad.CMND[1]->setText(QStringLiteral("b"));
    at(500, [&] { pad.StartIt(); });
    pad.StartIt();
    advanceTo(5000);
    EXPECT_EQ(sent(), (Sends{{"a", 0}, {"b", 2000}}));
}

TEST_F(CommandCyclingTest, AlternatePathIsChosenForEachString) {
    pad.RepSec[0]->setText(QStringLiteral("100"));
    pad.CMND[0]->setText(QStringLiteral("a"));
    pad.RepSec[1]->setText(QStringLiteral("2"));
    pad.CMND[1]->setText(QStringLiteral("b"));
    pad.Alternate->setChecked(true);
    at(1000, [&] { pad.Alternate->setChecked(false); });
    pad.StartIt();
    EXPECT_EQ(sent(p.fake.alternateKeys), (Sends{{"a", 0}}));
    EXPECT_EQ(sent(p.fake.standardKeys), (Sends{{"b", 2000}}));
}

TEST_F(CommandCyclingTest, ForeignMarkerHoldsSequencesBackUntilItGoes) {
    pad.HandShake->setChecked(true);
    pad.RepSec[0]->setText(QStringLiteral("5"));
    pad.CMND[0]->setText(QStringLiteral("a"));
    p.placeMarker();

    pad.StartIt();
    advanceTo(12000);  // tries at 0, 5 and 10 s
    EXPECT_TRUE(sent().empty());
    EXPECT_TRUE(running());
    EXPECT_TRUE(p.markerExists());
    EXPECT_FALSE(p.state.OwnMarker);
    EXPECT_FALSE(p.state.ChannelBusy);

    // The other program is done.
    QFile::remove(p.marker.path());
    advanceTo(16000);
    EXPECT_EQ(sent(), (Sends{{"a", 15000}}));
    // Taken for the sequence, released after it.
    EXPECT_FALSE(p.markerExists());
    EXPECT_FALSE(p.state.OwnMarker);
}

TEST_F(CommandCyclingTest, StaleForeignMarkerIsTakenOverAfterSixteenTries) {
    pad.HandShake->setChecked(true);
    pad.RepSec[0]->setText(QStringLiteral("1"));
    pad.CMND[0]->setText(QStringLiteral("a"));
    p.placeMarker();
    pad.StartIt();
    advanceTo(16500);
    // Tries at 0..15 s find it (the 16th deletes it), the one at 16 s takes it.
    EXPECT_EQ(sent(), (Sends{{"a", 16000}}));
}

TEST_F(CommandCyclingTest, HoldWithoutHandshakeTakesTheChannelUntilIdleRecovery) {
    pad.Command4_Click();
    EXPECT_FALSE(pad.Shape2->isHidden());
    EXPECT_TRUE(p.state.ChannelBusy);

    advanceTo(1000);  // no marker: the dot goes at the next tick, the channel stays taken
    EXPECT_TRUE(pad.Shape2->isHidden());
    EXPECT_TRUE(p.state.ChannelBusy);
    advanceTo(29500);
    EXPECT_TRUE(p.state.ChannelBusy);
    advanceTo(30000);  // 30 idle seconds
    EXPECT_FALSE(p.state.ChannelBusy);
    EXPECT_EQ(p.state.StaleBusySecs, 0);
}

TEST_F(CommandCyclingTest, HoldWhileTheChannelIsBusyDoesNothing) {
    p.state.ChannelBusy = true;
    pad.Command4_Click();
    EXPECT_TRUE(pad.Shape2->isHidden());
}

TEST_F(CommandCyclingTest, HoldWithHandshakeKeepsTheMarkerUntilReleased) {
    pad.HandShake->setChecked(true);
    pad.RepSec[0]->setText(QStringLiteral("2"));
    pad.CMND[0]->setText(QStringLiteral("a"));

    pad.Command4_Click();
    EXPECT_FALSE(pad.Shape2->isHidden());
    EXPECT_TRUE(p.markerExists());
    EXPECT_TRUE(p.state.OwnMarker);
    EXPECT_FALSE(p.state.ChannelBusy);

    // While held, sequences find the marker and send nothing; the dot stays.
    pad.StartIt();
    advanceTo(9500);
    EXPECT_TRUE(sent().empty());
    EXPECT_FALSE(pad.Shape2->isHidden());

    pad.Command4_Click();
    EXPECT_TRUE(pad.Shape2->isHidden());
    EXPECT_FALSE(p.markerExists());
    advanceTo(10500);
    EXPECT_EQ(sent(), (Sends{{"a", 10000}}));
}

TEST_F(CommandCyclingTest, HoldEndsWhenTheMarkerDisappears) {
    pad.HandShake->setChecked(true);
    pad.Command4_Click();
    ASSERT_FALSE(pad.Shape2->isHidden());
    advanceTo(3500);
    EXPECT_FALSE(pad.Shape2->isHidden());
    QFile::remove(p.marker.path());
    advanceTo(4500);
    EXPECT_TRUE(pad.Shape2->isHidden());
}

TEST_F(CommandCyclingTest, IdleRecoveryReleasesAnOwnMarkerAndResetsBothIndicators) {
    QsySweep& sweep = p.windows.get<QsySweep>();
    pad.HandShake->setChecked(true);
    ASSERT_FALSE(p.marker.CheckBusy());  // owned
    p.state.ChannelBusy = true;
    pad.Shape1->setFillColor(Indicator::Green);
    sweep.Shape1->setFillColor(Indicator::Green);
    advanceTo(30500);
    EXPECT_FALSE(p.state.ChannelBusy);
    EXPECT_FALSE(p.markerExists());
    EXPECT_EQ(pad.Shape1->fillColor(), Indicator::Red);
    EXPECT_EQ(sweep.Shape1->fillColor(), Indicator::Red);
}

TEST_F(CommandCyclingTest, CountersStartAgainPastFourThousand) {
    QsySweep& sweep = p.windows.get<QsySweep>();
    pad.RepSec[0]->setText(QStringLiteral("9999"));
    pad.StartIt();
    sweep.Shape1->show();  // the sweep counts its dwell
    p.state.CycleSecs = 3999;
    p.state.ElapsedSecs = 3998;
    p.state.DwellSecs = 3999;
    struct Step {
        int cycle, elapsed, dwell;
    };
    const Step expected[] = {{4000, 3999, 4000}, {0, 4000, 0}, {1, 0, 1}, {2, 1, 2}};
    for (const Step& s : expected) {
        clock.advance(1000);
        EXPECT_EQ(p.state.CycleSecs, s.cycle);
        EXPECT_EQ(p.state.ElapsedSecs, s.elapsed);
        EXPECT_EQ(p.state.DwellSecs, s.dwell);
    }
    EXPECT_EQ(pad.Text1->text(), QStringLiteral("1/9999"));
}

TEST_F(CommandCyclingTest, SweepWindowIsLoadedFromTheFirstTick) {
    EXPECT_FALSE(p.windows.isLoaded(QsySweep::Name));
    clock.advance(1000);
    EXPECT_TRUE(p.windows.isLoaded(QsySweep::Name));
    EXPECT_TRUE(p.windows.get<QsySweep>().isHidden());
}

TEST_F(CommandCyclingTest, RestartCountsThePeriodFromTheNewStart) {
    pad.RepSec[0]->setText(QStringLiteral("10"));
    pad.CMND[0]->setText(QStringLiteral("a"));
    pad.StartIt();
    advanceTo(7500);
    pad.Command3_MouseUp();
    advanceTo(8200);
    pad.StartIt();
    advanceTo(18500);
    EXPECT_EQ(sent(), (Sends{{"a", 0}, {"a", 8200}, {"a", 18000}}));
}

TEST_F(CommandCyclingTest, KeypadAutoStartRunsLikeStart) {
    pad.Expand();
    pad.CMND[0]->setText(QStringLiteral("a"));
    pad.RepSec[0]->setText(QStringLiteral("5"));
    pad.keypadAutoStart();
    EXPECT_EQ(sent(), (Sends{{"a", 0}}));
    EXPECT_TRUE(running());
    EXPECT_EQ(pad.Command2->text(), QStringLiteral("Running"));
    EXPECT_EQ(pad.EXp->text(), QStringLiteral("Expand"));
    EXPECT_TRUE(pad.AppTitle->isHidden());
}

TEST_F(CommandCyclingTest, KeypadAutoStartOnALinkedClientWaitsForThePeriod) {
    p.windows.get<QsySweep>().Shape2->show();
    pad.CMND[0]->setText(QStringLiteral("a"));
    pad.RepSec[0]->setText(QStringLiteral("5"));
    pad.keypadAutoStart();
    EXPECT_TRUE(sent().empty());
    EXPECT_TRUE(running());
    advanceTo(5500);
    EXPECT_EQ(sent(), (Sends{{"a", 5000}}));
}

TEST_F(CommandCyclingTest, StopBeforeAnAutoStartDoesNotSwallowItsFirstSequence) {
    pad.CMND[0]->setText(QStringLiteral("a"));
    pad.RepSec[0]->setText(QStringLiteral("5"));
    pad.Command3_MouseUp();  // Stop while nothing runs
    pad.keypadAutoStart();
    EXPECT_EQ(sent(), (Sends{{"a", 0}}));
}

}  // namespace
}  // namespace keyrelay
