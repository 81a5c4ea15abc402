// The sweep window in telnet mode against skimsim, a real process on a loopback port.
// Time in the window is virtual (the main window's tick, the dwell); the sockets are real,
// so every wait of the virtual clock also runs Qt's events for a moment of real time.
// Between the steps a test waits in real time for skimsim, with virtual time standing.
#include <gtest/gtest.h>

#include "fakes/LoopbackPorts.h"

#include <QAction>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <utility>

#include "SkimsimProcess.h"
#include "SweepHarness.h"
#include "ui/Indicator.h"
#include "sweep/SweepSettingsFile.h"
#include "telnet/SkimmerTelnet.h"
#include "telnet/TerminalF.h"

namespace keyrelay {
namespace {

using Times = std::vector<std::int64_t>;

constexpr const char* NotConnected =
    "You are not connected. You should either set this application as 'SERVER' or connect to "
    "a server as a client";

// Runs Qt's events for about a millisecond of real time.
void pumpOnce() {
    QEventLoop loop;
    QTimer::singleShot(1, &loop, &QEventLoop::quit);
    loop.exec();
}

// Runs Qt's events, virtual time standing, until `done` holds; false after ten seconds
// of real time (a deadline for a failing run only).
bool realWait(const std::function<bool()>& done) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > 10000) {
            return false;
        }
        pumpOnce();
    }
    return true;
}

class SweepViaTelnet : public ::testing::Test {
protected:
    SweepViaTelnet() {
        h.fake.clock.setEventPump(pumpOnce);
        h.pad();
        QsySweep& s = h.sweep();
        s.ViaTelnet->setChecked(true);
        s.ImAServer->setChecked(true);
        s.SkimmerPort->setText(QString::number(skimsim.port()));
        // Every frequency command a step puts into Text1, with the virtual time of it.
        QObject::connect(s.Text1, &QLineEdit::textChanged, [this](const QString& text) {
            if (text.startsWith(u"SKIMMER/QSY"_qs)) {
                stepsAt.push_back(h.fake.clock.elapsedMs());
            }
        });
    }

    void SetUp() override { ASSERT_NE(skimsim.port(), 0) << "skimsim did not start"; }

    // Start, and the login that follows it.
    void startAndLogIn() {
        h.sweep().Command2_Click();
        ASSERT_FALSE(h.sweep().Shape1->isHidden()) << h.messages().size();
        ASSERT_TRUE(realWait([&] { return skimsim.received().contains(u"NOCALL\r"_qs); }))
            << skimsim.log().toStdString();
    }

    // The frequency commands skimsim received, without their CR.
    QStringList commands() const {
        QStringList out;
        for (QString line : skimsim.received()) {
            if (line.startsWith(u"SKIMMER/QSY"_qs)) {
                out.append(line.remove(QLatin1Char('\r')));
            }
        }
        return out;
    }
    // Waits until skimsim has received `n` frequency commands.
    bool commandsReach(qsizetype n) {
        return realWait([&] { return commands().size() >= n; });
    }

    test::SkimsimProcess skimsim;
    SweepHarness h;
    Times stepsAt;
};

TEST_F(SweepViaTelnet, StartLogsInAndTheTickStepsOnTheDwell) {
    h.setLine(0, "14000", "14003", "1", "2");
    QsySweep& s = h.sweep();
    startAndLogIn();
    EXPECT_EQ(s.COLx->text(), "Expand");
    EXPECT_EQ(s.layoutHeight(), QsySweep::CompactHeight);
    // Connecting makes no step: the first comes from the tick.
    EXPECT_TRUE(stepsAt.empty());
    EXPECT_EQ(s.FreqOffset[0], 0);

    h.seconds(20);
    ASSERT_TRUE(commandsReach(5)) << commands().join(u'|').toStdString();
    EXPECT_EQ(commands().mid(0, 5), (QStringList{u"SKIMMER/QSY 14000"_qs, u"SKIMMER/QSY 14001"_qs,
                                                 u"SKIMMER/QSY 14002"_qs, u"SKIMMER/QSY 14003"_qs,
                                                 u"SKIMMER/QSY 14000"_qs}));
    EXPECT_EQ(skimsim.received().first(), u"NOCALL\r"_qs);
    // Each step on the first tick past the two-second dwell.
    ASSERT_GE(stepsAt.size(), 5u);
    for (std::size_t i = 1; i < stepsAt.size(); ++i) {
        EXPECT_EQ(stepsAt[i] - stepsAt[i - 1], 3000) << i;
    }
    EXPECT_TRUE(h.typed().empty());
    EXPECT_TRUE(h.messages().empty());
    // The last text received is in Text2: skimsim's click report of a command.
    ASSERT_TRUE(realWait([&] { return s.Text2->toPlainText().contains(u"Clicked on"_qs); }));
}

TEST_F(SweepViaTelnet, SpotsHoldAStarredDwellOnly) {
    struct Case {
        const char* dwell;
        bool held;
    };
    for (const Case c : {Case{"3*", true}, Case{"3", false}}) {
        test::SkimsimProcess server;
        SweepHarness other;
        other.fake.clock.setEventPump(pumpOnce);
        other.pad();
        QsySweep& s = other.sweep();
        s.ViaTelnet->setChecked(true);
        s.ImAServer->setChecked(true);
        s.SkimmerPort->setText(QString::number(server.port()));
        other.setLine(0, "7000", "7010", "1", c.dwell);
        int spots = 0;
        QObject::connect(s.Telnet, &SkimmerTelnet::textReceived, [&](const QString& chunk) {
            spots += chunk.contains(u"DX de"_qs) ? 1 : 0;
        });
        int steps = 0;
        QObject::connect(s.Text1, &QLineEdit::textChanged, [&] { ++steps; });
        s.Command2_Click();
        ASSERT_FALSE(s.Shape1->isHidden()) << c.dwell;
        auto sent = [&] { return server.received().filter(u"SKIMMER/QSY"_qs).size(); };
        other.seconds(4);
        ASSERT_EQ(steps, 1) << c.dwell;
        ASSERT_TRUE(realWait([&] { return sent() == 1; })) << c.dwell;

        // A spot every two seconds, for twelve seconds.
        for (int i = 1; i <= 6; ++i) {
            other.seconds(2);
            server.command(u"spot"_qs);
            ASSERT_TRUE(realWait([&] { return spots == i; })) << c.dwell;
        }
        EXPECT_EQ(steps, c.held ? 1 : 4) << c.dwell;
        // Without spots the held line moves on after its dwell.
        other.seconds(5);
        EXPECT_EQ(steps, c.held ? 2 : 5) << c.dwell;
        ASSERT_TRUE(realWait([&] { return sent() == steps; })) << c.dwell;
        EXPECT_EQ(server.received().filter(u"SKIMMER/QSY"_qs).last(),
                  c.held ? u"SKIMMER/QSY 7001\r"_qs : u"SKIMMER/QSY 7004\r"_qs);
    }
}

TEST_F(SweepViaTelnet, StartWithNothingListeningSaysSoAndDoesNotRun) {
    h.setLine(0, "14000", "14003", "1", "0");
    QsySweep& s = h.sweep();
    for (const QString& port : {QString::number(test::LoopbackPorts::closed()), u"not a port"_qs}) {
        h.fake.dialogs.clear();
        s.SkimmerPort->setText(port);
        s.Command2_Click();
        EXPECT_EQ(
            h.messages(),
            std::vector<std::string>{"Unable to attach to local telnet. Is CW Skimmer started"})
            << port.toStdString();
        EXPECT_TRUE(s.Shape1->isHidden());
        h.seconds(3);
        EXPECT_EQ(h.messages().size(), 1u);
        EXPECT_TRUE(stepsAt.empty());
    }
    EXPECT_EQ(s.Winsock2->state(), QAbstractSocket::UnconnectedState);
}

TEST_F(SweepViaTelnet, TheServerClosingLeavesTheSweepRunningWithoutSending) {
    h.setLine(0, "14000", "14009", "1", "1");
    QsySweep& s = h.sweep();
    startAndLogIn();
    h.seconds(2);
    ASSERT_TRUE(commandsReach(1));

    skimsim.command(u"drop"_qs);
    ASSERT_TRUE(realWait([&] { return !s.Telnet->isConnected(); }));
    EXPECT_TRUE(h.messages().empty());
    const auto offset = s.FreqOffset[0];
    h.seconds(2);
    EXPECT_EQ(h.messages(), std::vector<std::string>{NotConnected});
    EXPECT_FALSE(s.Shape1->isHidden());
    EXPECT_EQ(s.FreqOffset[0], offset);
    EXPECT_FALSE(h.state.ChannelBusy);
    EXPECT_FALSE(h.state.SweepStepping);
    h.seconds(2);
    EXPECT_EQ(h.messages().size(), 2u);  // each step tries again

    // Linked as a client the step says nothing.
    s.Connect->setText(QStringLiteral("Disconnect"));
    h.seconds(4);
    EXPECT_EQ(h.messages().size(), 2u);
    s.Connect->setText(QStringLiteral("Connect"));
    EXPECT_EQ(commands().size(), 1);

    // Stop, and a Start connects again.
    s.Command3_Click();
    s.Command2_Click();
    EXPECT_FALSE(s.Shape1->isHidden());
    EXPECT_TRUE(s.Telnet->isConnected());
    h.seconds(2);
    ASSERT_TRUE(commandsReach(2));
    EXPECT_EQ(commands().at(1), u"SKIMMER/QSY 14001"_qs);
}

TEST_F(SweepViaTelnet, StopKeepsTheConnectionAndAStartStepsAtOnce) {
    h.setLine(0, "14000", "14009", "1", "5");
    QsySweep& s = h.sweep();
    startAndLogIn();
    h.seconds(6);
    ASSERT_TRUE(commandsReach(1));

    s.Command3_Click();
    EXPECT_TRUE(s.Shape1->isHidden());
    h.seconds(20);
    EXPECT_TRUE(s.Telnet->isConnected());
    const std::int64_t startAt = h.fake.clock.elapsedMs();
    s.Command2_Click();
    EXPECT_FALSE(s.Shape1->isHidden());
    EXPECT_EQ(stepsAt.back(), startAt);
    ASSERT_TRUE(commandsReach(2));
    EXPECT_EQ(commands(), (QStringList{u"SKIMMER/QSY 14000"_qs, u"SKIMMER/QSY 14001"_qs}));
    // Still the one login.
    EXPECT_EQ(skimsim.received().count(u"NOCALL\r"_qs), 1);
}

TEST_F(SweepViaTelnet, TenthStepsAreSentWithoutRoundingNoise) {
    h.setLine(0, "14000", "14000.5", "0.1", "0");
    startAndLogIn();
    h.seconds(14);
    ASSERT_TRUE(commandsReach(8));
    EXPECT_EQ(commands().mid(0, 8),
              (QStringList{u"SKIMMER/QSY 14000"_qs, u"SKIMMER/QSY 14000.1"_qs,
                           u"SKIMMER/QSY 14000.2"_qs, u"SKIMMER/QSY 14000.3"_qs,
                           u"SKIMMER/QSY 14000.4"_qs, u"SKIMMER/QSY 14000.5"_qs,
                           u"SKIMMER/QSY 14000"_qs, u"SKIMMER/QSY 14000.1"_qs}));
}

TEST_F(SweepViaTelnet, SendingAndTheTerminalUseTheConnection) {
    h.setLine(0, "14000", "14009", "1", "30");
    QsySweep& s = h.sweep();
    startAndLogIn();
    s.TRM->trigger();
    TerminalF* terminal = h.windows.ifLoaded<TerminalF>();
    ASSERT_NE(terminal, nullptr);
    EXPECT_FALSE(terminal->isHidden());

    s.Text1->setText(u"SKIMMER/QSY 7012.5"_qs);
    s.Sending->click();
    ASSERT_TRUE(realWait([&] { return terminal->text().contains(u"at 7012.5"_qs); }));
    EXPECT_EQ(skimsim.received().last(), u"SKIMMER/QSY 7012.5\r"_qs);
    // ForceSend, as the link server runs it, sends the same way.
    s.Text1->setText(u"SKIMMER/QSY 3500"_qs);
    s.ForceSend();
    ASSERT_TRUE(realWait([&] { return s.Text2->toPlainText().contains(u"at 3500"_qs); }));
    EXPECT_TRUE(h.typed().empty());
    EXPECT_TRUE(s.TxtStatus->text().isEmpty());
}

TEST(SweepTelnetSwitch, ViaTelnetDisablesTheKeystrokeFields) {
    auto fieldsEnabled = [](QsySweep& s) {
        std::vector<bool> on;
        for (QLineEdit* f : {s.TargetName, s.PrefixStr, s.SufixStr, s.ReturnApp}) {
            on.push_back(f->isEnabled());
        }
        return on;
    };
    const std::vector<bool> all(4, true);
    const std::vector<bool> none(4, false);
    for (const int fromFile : {0, 1}) {
        SweepHarness h;
        SweepSettings saved;
        saved.ViaTelnet = fromFile;
        ASSERT_TRUE(SweepSettingsFile::save(h.folder(), saved));
        QsySweep& s = h.sweep();
        EXPECT_EQ(fieldsEnabled(s), fromFile ? none : all) << fromFile;
        s.ViaTelnet->click();
        EXPECT_EQ(fieldsEnabled(s), fromFile ? all : none) << fromFile;
        s.ViaTelnet->click();
        EXPECT_EQ(fieldsEnabled(s), fromFile ? none : all) << fromFile;
        // Other fields stay as they are.
        EXPECT_TRUE(s.StartFreq[0]->isEnabled());
        EXPECT_TRUE(s.Check1->isEnabled());
    }
}

}  // namespace
}  // namespace keyrelay
