#include "telnet/SkimmerTelnet.h"

#include <gtest/gtest.h>

#include "fakes/LoopbackPorts.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <memory>

#include "SkimsimProcess.h"
#include "core/QtClock.h"
#include "platform/PlatformError.h"
#include "telnet/QsyCommand.h"

namespace keyrelay {
namespace {

// Bound of every wait for something that should happen at once; a test that reaches it
// fails on the condition, not on the time.
constexpr std::int64_t Patience = 10000;

// The sweep window's side, as the session sees it.
struct Window {
    bool telnetMode = true;
    bool viaTelnet = true;
    bool linkDotShown = false;
    QString dwell = QStringLiteral("30");
    QStringList received;  // Text2, one entry per change
    QStringList terminal;
    QStringList text1;
    int linkPasses = 0;
    int arrivals = 0;
};

class TelnetSession {
public:
    TelnetSession() {
        SkimmerTelnet::Inputs inputs;
        inputs.telnetMode = [this] { return window.telnetMode; };
        inputs.viaTelnet = [this] { return window.viaTelnet; };
        inputs.linkDotShown = [this] { return window.linkDotShown; };
        inputs.currentDwell = [this] { return currentDwell ? currentDwell() : window.dwell; };
        inputs.linkTextReceived = [this] { ++window.linkPasses; };
        inputs.linkArrivalBegins = [this] { ++window.arrivals; };
        telnet = std::make_unique<SkimmerTelnet>(socket, clock, state, inputs);
        QObject::connect(telnet.get(), &SkimmerTelnet::textReceived,
                         [this](const QString& c) { window.received.append(c); });
        QObject::connect(telnet.get(), &SkimmerTelnet::terminalText,
                         [this](const QString& c) { window.terminal.append(c); });
        QObject::connect(telnet.get(), &SkimmerTelnet::commandText,
                         [this](const QString& c) { window.text1.append(c); });
    }

    bool waitFor(const std::function<bool()>& done) { return clock.waitFor(done, Patience); }
    bool receivedSomething(const QString& part) {
        return waitFor([&] { return window.received.join(QString()).contains(part); });
    }

    QtClock clock;
    ProgramState state;
    QTcpSocket socket;
    Window window;
    // When set, read for the dwell instead of window.dwell (lets a test act mid-arrival).
    std::function<QString()> currentDwell;
    std::unique_ptr<SkimmerTelnet> telnet;
};

class AgainstSkimsim : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(skimsim.port(), 0) << "skimsim did not start";
        ASSERT_TRUE(t.telnet->connectToServer(QString::number(skimsim.port())));
        ASSERT_TRUE(t.waitFor([&] { return skimsim.received().contains(u"NOCALL\r"_qs); }))
            << skimsim.log().toStdString();
    }

    test::SkimsimProcess skimsim;
    TelnetSession t;
};

TEST_F(AgainstSkimsim, LoginPromptIsAnsweredWithNocallOnce) {
    EXPECT_EQ(skimsim.received(), QStringList{u"NOCALL\r"_qs});
    const QString shown = t.window.received.join(QString());
    EXPECT_TRUE(shown.contains(u"Please enter your callsign:"_qs)) << shown.toStdString();
    // What arrives is shown in Text2 and in the terminal alike.
    EXPECT_EQ(t.window.terminal, t.window.received);
}

TEST_F(AgainstSkimsim, FrequencyCommandsArriveInOrderWithCrLfAndClicksClearPending) {
    for (const double kHz : {14000.0, 14000.5, 7012.25}) {
        EXPECT_TRUE(t.telnet->sendFrequencyCommand(QsyCommand::of(kHz)));
        EXPECT_TRUE(t.state.QsyPending);
    }
    ASSERT_TRUE(t.waitFor([&] { return skimsim.received().size() == 4; }));
    EXPECT_EQ(skimsim.received(),
              (QStringList{u"NOCALL\r"_qs, u"SKIMMER/QSY 14000\r"_qs, u"SKIMMER/QSY 14000.5\r"_qs,
                           u"SKIMMER/QSY 7012.25\r"_qs}));
    ASSERT_TRUE(t.receivedSomething(u"Clicked on \"\" at 7012.25"_qs));
    EXPECT_FALSE(t.state.QsyPending);
}

TEST_F(AgainstSkimsim, FrequencyReachedByTenthStepsIsSentWithoutRoundingNoise) {
    double kHz = 14000;
    for (int i = 0; i < 3; ++i) {
        kHz += 0.1;
    }
    ASSERT_NE(kHz, 14000.3);  // the sum itself carries the noise
    ASSERT_TRUE(t.telnet->sendFrequencyCommand(QsyCommand::of(kHz)));
    ASSERT_TRUE(t.waitFor([&] { return skimsim.received().size() == 2; }));
    EXPECT_EQ(skimsim.received().at(1), u"SKIMMER/QSY 14000.3\r"_qs);
}

TEST_F(AgainstSkimsim, SpotRestartsAStarredDwellOnly) {
    struct Case {
        const char* dwell;
        std::int16_t after;
    };
    for (const Case c : {Case{"30*", 0}, Case{"30", 17}, Case{"*", 0}, Case{"", 17}}) {
        t.window.dwell = QString::fromLatin1(c.dwell);
        t.state.DwellSecs = 17;
        t.window.received.clear();
        t.state.QsyPending = true;
        skimsim.command(u"spot 14025.5"_qs);
        ASSERT_TRUE(t.receivedSomething(u"DX de SKIMSIM-#: 14025.5"_qs));
        EXPECT_EQ(t.state.DwellSecs, c.after) << "dwell " << c.dwell;
        // A spot is no click report.
        EXPECT_TRUE(t.state.QsyPending);
    }
}

TEST_F(AgainstSkimsim, EachChunkGetsTheFirstRuleItMatchesOnly) {
    struct Case {
        const char* text;
        int answers;  // "NOCALL" lines sent for it
        std::int16_t dwellAfter;
        bool pendingAfter;
    };
    const Case cases[] = {
        // The prompt wins over a spot in the same chunk: answered once, dwell kept.
        {"DX de K1ABC-#: 7010.0 W1AW 10 dB 20 WPM CQ 0000Z your Callsign please", 1, 17, true},
        // A spot wins over a click report: the command stays unacknowledged.
        {"DX de K1ABC-#: 7010.0 W1AW 10 dB CQ 0000Z Clicked on \"\" at 7010", 0, 0, true},
        {"dx de k1abc-#: 7010.0 w1aw 10 db 20 wpm cq 0000z", 0, 0, true},
        {"To ALL de SKIMMER 0000Z : clicked on \"\" at 7010", 0, 17, false},
        {"DXde K1ABC and DX\tde W1AW", 0, 17, true},
        {"Hello NOCALL", 0, 17, true},
    };
    t.window.dwell = u"20*"_qs;
    for (const Case& c : cases) {
        const qsizetype base = skimsim.received().size();
        t.state.DwellSecs = 17;
        t.state.QsyPending = true;
        t.window.received.clear();
        const QString text = QString::fromLatin1(c.text);
        skimsim.command(u"send "_qs + text);
        ASSERT_TRUE(t.receivedSomething(text)) << c.text;
        EXPECT_EQ(t.state.DwellSecs, c.dwellAfter) << c.text;
        EXPECT_EQ(t.state.QsyPending, c.pendingAfter) << c.text;
        ASSERT_TRUE(t.waitFor([&] { return skimsim.received().size() >= base + c.answers; }));
        // Nothing else was sent: a command now is the next line the server receives.
        ASSERT_TRUE(t.telnet->sendFrequencyCommand(u"SKIMMER/QSY 7010"_qs));
        ASSERT_TRUE(t.waitFor([&] { return skimsim.received().size() > base + c.answers; }));
        const QStringList got = skimsim.received().mid(base);
        QStringList expected(c.answers, u"NOCALL\r"_qs);
        expected.append(u"SKIMMER/QSY 7010\r"_qs);
        EXPECT_EQ(got, expected) << c.text;
        // The click report of that command has come back before the next case.
        ASSERT_TRUE(t.waitFor([&] { return !t.state.QsyPending; }));
    }
}

TEST_F(AgainstSkimsim, ServerClosingLeavesTheSocketClosedAndSendsRefused) {
    t.state.QsyPending = false;
    skimsim.command(u"drop"_qs);
    ASSERT_TRUE(t.waitFor([&] { return t.socket.state() == QAbstractSocket::UnconnectedState; }));
    EXPECT_FALSE(t.telnet->isConnected());
    EXPECT_FALSE(t.telnet->sendFrequencyCommand(QsyCommand::of(14000)));
    EXPECT_FALSE(t.state.QsyPending);
    EXPECT_NO_THROW(t.telnet->sendIfConnected(u"SKIMMER/QSY 7000"_qs));
    EXPECT_THROW(t.telnet->send(u"SKIMMER/QSY 7000"_qs), PlatformError);
    // Nothing said about it, and a new Start connects again.
    EXPECT_TRUE(t.window.text1.isEmpty());
    ASSERT_TRUE(t.telnet->connectToServer(QString::number(skimsim.port())));
    EXPECT_TRUE(t.telnet->sendFrequencyCommand(QsyCommand::of(3500)));
    EXPECT_TRUE(t.waitFor([&] { return skimsim.received().contains(u"SKIMMER/QSY 3500\r"_qs); }));
}

TEST_F(AgainstSkimsim, ConnectionLostClosesTheSocketAndFreesItsPort) {
    ASSERT_NE(t.socket.localPort(), 0);
    t.telnet->connectionLost();
    EXPECT_EQ(t.window.text1, QStringList{u"Connection Lost"_qs});
    EXPECT_EQ(t.socket.state(), QAbstractSocket::UnconnectedState);
    EXPECT_EQ(t.socket.localPort(), 0);
}

TEST(SkimsimDropAfter, ClosesAfterTheGivenNumberOfCommands) {
    test::SkimsimProcess skimsim({u"--drop-after"_qs, u"2"_qs});
    ASSERT_NE(skimsim.port(), 0);
    TelnetSession t;
    ASSERT_TRUE(t.telnet->connectToServer(QString::number(skimsim.port())));
    ASSERT_TRUE(t.waitFor([&] { return skimsim.received().size() == 1; }));
    EXPECT_TRUE(t.telnet->sendFrequencyCommand(QsyCommand::of(14000)));
    EXPECT_TRUE(t.telnet->sendFrequencyCommand(QsyCommand::of(14001)));
    ASSERT_TRUE(t.waitFor([&] { return !t.telnet->isConnected(); }));
    EXPECT_FALSE(t.telnet->sendFrequencyCommand(QsyCommand::of(14002)));
    // The click report sent just before the close was still handled.
    EXPECT_TRUE(t.window.received.join(QString()).contains(u"at 14001"_qs));
    EXPECT_FALSE(t.state.QsyPending);
}

TEST(SkimmerTelnetConnect, NothingListeningFailsAndLeavesNoAttemptBehind) {
    TelnetSession t;
    EXPECT_FALSE(t.telnet->connectToServer(QString::number(test::LoopbackPorts::closed())));
    EXPECT_EQ(t.socket.state(), QAbstractSocket::UnconnectedState);
    EXPECT_FALSE(t.telnet->isConnected());
}

TEST(SkimmerTelnetConnect, PortTextMustBeAWholeNumberInRange) {
    for (const char* text : {"", " ", "abc", "0", "65536", "99999999", "7300.5", "-7300", "73 00",
                             "7300x", "&H1C84"}) {
        EXPECT_FALSE(SkimmerTelnet::portOf(QString::fromLatin1(text)).has_value()) << text;
    }
    EXPECT_EQ(SkimmerTelnet::portOf(u"7300"_qs), 7300);
    EXPECT_EQ(SkimmerTelnet::portOf(u" 7300 "_qs), 7300);
    EXPECT_EQ(SkimmerTelnet::portOf(u"65535"_qs), 65535);
    EXPECT_EQ(SkimmerTelnet::portOf(u"1"_qs), 1);

    TelnetSession t;
    EXPECT_FALSE(t.telnet->connectToServer(u"abc"_qs));
}

// Arrivals from a server inside the test, for what needs exact control of the timing.
class WithLocalServer : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
        ASSERT_TRUE(t.telnet->connectToServer(QString::number(server.serverPort())));
        ASSERT_TRUE(t.waitFor([&] { return server.hasPendingConnections(); }));
        peer.reset(server.nextPendingConnection());
    }

    void say(const QByteArray& text) {
        peer->write(text);
        peer->flush();
    }

    QTcpServer server;
    TelnetSession t;
    std::unique_ptr<QTcpSocket> peer;
};

TEST_F(WithLocalServer, TextArrivingWhileAnArrivalIsHandledIsReadAfterIt) {
    t.state.QsyPending = true;
    bool sentMore = false;
    t.currentDwell = [&] {
        if (!sentMore) {
            sentMore = true;
            // More text comes while the spot is still being handled.
            say("To ALL de SKIMMER 1200Z : Clicked on \"\" at 14000\r\n");
            t.clock.waitFor([&] { return t.socket.bytesAvailable() > 0; }, Patience);
        }
        return u"30"_qs;
    };
    say("DX de SKIM-#: 14000.0 K1ABC 10 dB 20 WPM CQ 1200Z\r\n");
    ASSERT_TRUE(t.waitFor([&] { return t.window.received.size() == 2; }));
    EXPECT_TRUE(t.window.received.at(0).startsWith(u"DX de"_qs));
    EXPECT_TRUE(t.window.received.at(1).contains(u"Clicked"_qs));
    EXPECT_FALSE(t.state.QsyPending);
    EXPECT_FALSE(t.state.ClientReceiveBusy);
}

TEST_F(WithLocalServer, CloseDuringAnArrivalHandlesTheRestFirst) {
    t.state.QsyPending = true;
    bool closed = false;
    t.currentDwell = [&] {
        if (!closed) {
            closed = true;
            say("To ALL de SKIMMER 1200Z : Clicked on \"\" at 14000\r\n");
            peer->disconnectFromHost();
            t.clock.waitFor([&] { return t.socket.state() != QAbstractSocket::ConnectedState; },
                            Patience);
        }
        return u"30"_qs;
    };
    say("DX de SKIM-#: 14000.0 K1ABC 10 dB 20 WPM CQ 1200Z\r\n");
    ASSERT_TRUE(t.waitFor([&] { return t.window.received.size() == 2; }));
    EXPECT_FALSE(t.state.QsyPending);
    EXPECT_EQ(t.socket.state(), QAbstractSocket::UnconnectedState);
}

TEST_F(WithLocalServer, ReceivedTextGoesToTheLinkOrTheTelnetByTheMode) {
    struct Case {
        const char* name;
        bool telnetMode;
        bool viaTelnet;
        bool linkDot;
        const char* text;
        const char* bufferAfter;
        int linkPasses;
        bool shownAsTelnet;
    };
    const Case cases[] = {
        {"telnet text is never link text", true, true, false, "&KA", "", 0, true},
        {"link text on a linked client", false, false, true, "&KA", "&KA", 1, false},
        {"dropped when neither telnet nor linked", false, false, false, "&KA", "", 0, false},
        {"ViaTelnet without I Am a Server is link text", false, true, false, "&KA", "&KA", 1,
         false},
        {"a lone end mark is dropped", false, false, true, "&END////", "", 0, false},
    };
    for (const Case& c : cases) {
        t.window.telnetMode = c.telnetMode;
        t.window.viaTelnet = c.viaTelnet;
        t.window.linkDotShown = c.linkDot;
        t.window.received.clear();
        t.window.linkPasses = 0;
        t.state.LinkBuffer.clear();
        const int arrivals = t.window.arrivals;
        say(c.text);
        ASSERT_TRUE(t.waitFor([&] {
            return t.window.arrivals > arrivals && !t.state.ClientReceiveBusy;
        })) << c.name;
        EXPECT_EQ(t.socket.bytesAvailable(), 0) << c.name;
        EXPECT_EQ(t.state.LinkBuffer, QString::fromLatin1(c.bufferAfter)) << c.name;
        EXPECT_EQ(t.window.linkPasses, c.linkPasses) << c.name;
        EXPECT_EQ(!t.window.received.isEmpty(), c.shownAsTelnet) << c.name;
    }
}

}  // namespace
}  // namespace keyrelay
