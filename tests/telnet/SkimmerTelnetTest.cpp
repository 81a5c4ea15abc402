#include "telnet/SkimmerTelnet.h"

#include <gtest/gtest.h>

#include <QTcpServer>

#include "SkimsimProcess.h"
#include "core/QtClock.h"
#include "fakes/LoopbackPorts.h"
#include "platform/PlatformError.h"
#include "telnet/QsyCommand.h"

namespace keyrelay {
namespace {

// The session and what the sweep window shows of it and answers it.
struct Session {
    Session() {
        SkimmerTelnet::Inputs in;
        in.telnetMode = [this] { return telnetMode; };
        in.viaTelnet = [this] { return viaTelnet; };
        in.linkDotShown = [this] { return linkDot; };
        in.currentDwell = [this] { return dwell(); };
        in.linkArrivalBegins = [this] { ++arrivals; };
        in.linkTextReceived = [this] { ++linkPasses; };
        telnet = std::make_unique<SkimmerTelnet>(socket, clock, state, in);
        QObject::connect(telnet.get(), &SkimmerTelnet::textReceived,
                         [this](const QString& chunk) { received += chunk; });
        QObject::connect(telnet.get(), &SkimmerTelnet::commandText,
                         [this](const QString& text) { text1 << text; });
    }
    bool waitFor(const std::function<bool()>& done) { return clock.waitFor(done, 10000); }
    // Connects to a server inside the test, for exact control of what arrives when.
    bool connectToLocalServer() {
        if (server.listen(QHostAddress::LocalHost, 0) &&
            telnet->connectToServer(QString::number(server.serverPort())) &&
            waitFor([&] { return server.hasPendingConnections(); })) {
            peer.reset(server.nextPendingConnection());
        }
        return peer != nullptr;
    }
    void say(const QByteArray& text) {
        peer->write(text);
        peer->flush();
    }

    QtClock clock;
    ProgramState state;
    QTcpSocket socket;
    bool telnetMode = true, viaTelnet = true, linkDot = false;
    std::function<QString()> dwell = [] { return u"30"_qs; };
    QString received;  // Text2
    QStringList text1;
    int arrivals = 0, linkPasses = 0;
    std::unique_ptr<SkimmerTelnet> telnet;
    QTcpServer server;
    std::unique_ptr<QTcpSocket> peer;
};

TEST(SkimmerTelnet, SessionAgainstSkimsim) {
    test::SkimsimProcess skimsim({u"--drop-after"_qs, u"3"_qs});
    ASSERT_NE(skimsim.port(), 0) << "skimsim did not start";
    Session t;
    ASSERT_TRUE(t.telnet->connectToServer(QString::number(skimsim.port())));
    ASSERT_TRUE(t.waitFor([&] { return skimsim.received().size() == 1; }));
    for (const double kHz : {14000.0, 7012.25}) {
        EXPECT_TRUE(t.telnet->sendFrequencyCommand(QsyCommand::of(kHz)));
        EXPECT_TRUE(t.state.QsyPending);
    }
    // The click reports acknowledge the commands.
    ASSERT_TRUE(t.waitFor([&] { return t.received.contains(u"Clicked on \"\" at 7012.25"_qs); }));
    EXPECT_FALSE(t.state.QsyPending);
    // A spot holds a starred dwell.
    t.dwell = [] { return u"30*"_qs; };
    t.state.DwellSecs = 17;
    skimsim.command(u"spot 14025.5"_qs);
    ASSERT_TRUE(t.waitFor([&] { return t.received.contains(u"DX de"_qs); }));
    EXPECT_EQ(t.state.DwellSecs, 0);
    // The server closes after the third command: its click report still counts.
    EXPECT_TRUE(t.telnet->sendFrequencyCommand(QsyCommand::of(3500)));
    ASSERT_TRUE(t.waitFor([&] { return t.socket.state() == QAbstractSocket::UnconnectedState; }));
    EXPECT_FALSE(t.state.QsyPending);
    EXPECT_EQ(skimsim.received(),
              (QStringList{u"NOCALL\r"_qs, u"SKIMMER/QSY 14000\r"_qs, u"SKIMMER/QSY 7012.25\r"_qs,
                           u"SKIMMER/QSY 3500\r"_qs}));
    // Sending now is refused, quietly for a typed command; a new Start connects again.
    EXPECT_FALSE(t.telnet->sendFrequencyCommand(QsyCommand::of(14000)));
    EXPECT_THROW(t.telnet->send(u"SKIMMER/QSY 7000"_qs), PlatformError);
    t.telnet->sendIfConnected(u"SKIMMER/QSY 7000"_qs);
    EXPECT_TRUE(t.text1.isEmpty());
    ASSERT_TRUE(t.telnet->connectToServer(QString::number(skimsim.port())));
    // A failed step closes the socket and frees its port.
    t.telnet->connectionLost();
    EXPECT_EQ(t.text1, QStringList{u"Connection Lost"_qs});
    EXPECT_EQ(t.socket.localPort(), 0);
}

TEST(SkimmerTelnet, ConnectsOnlyToAWholePortNumberWhereAServerListens) {
    for (const char* text :
         {"", "abc", "0", "65536", "99999", "7300.5", "-7300", "73 00", "&H1C84"}) {
        EXPECT_EQ(SkimmerTelnet::portOf(QString::fromLatin1(text)), std::nullopt) << text;
    }
    EXPECT_EQ(SkimmerTelnet::portOf(u" 7300 "), 7300);
    Session t;
    EXPECT_FALSE(t.telnet->connectToServer(u"abc"_qs));
    EXPECT_FALSE(t.telnet->connectToServer(QString::number(test::LoopbackPorts::closed())));
    EXPECT_EQ(t.socket.state(), QAbstractSocket::UnconnectedState);
}

TEST(SkimmerTelnet, ReceivedTextGoesToTheTelnetOrTheLinkByTheMode) {
    Session t;
    ASSERT_TRUE(t.connectToLocalServer());
    // Telnet mode, ViaTelnet, link dot shown; the text; LinkBuffer after; link passes run
    using Case = std::tuple<bool, bool, bool, const char*, const char*, int>;
    for (const auto& [telnet, via, dot, text, buffer, passes] :
         {Case{true, true, false, "&KA", "", 0}, Case{false, false, true, "&KA", "&KA", 1},
          Case{false, false, false, "&KA", "", 0}, Case{false, true, false, "&KA", "&KA", 1},
          Case{false, false, true, "&END////", "", 0}}) {
        std::tie(t.telnetMode, t.viaTelnet, t.linkDot) = std::tie(telnet, via, dot);
        t.state.LinkBuffer.clear();
        t.linkPasses = 0;
        const int arrivals = t.arrivals;
        t.say(text);
        ASSERT_TRUE(t.waitFor([&] { return t.arrivals > arrivals && !t.state.ClientReceiveBusy; }));
        EXPECT_EQ(t.state.LinkBuffer, QLatin1String(buffer)) << text << telnet << via << dot;
        EXPECT_EQ(t.linkPasses, passes) << text << telnet << via << dot;
    }
}

// The spot's handling waits (for the dwell text) and the next text, or the close, comes in
// meanwhile: each is handled after the spot, none is lost.
TEST(SkimmerTelnet, TextOrACloseArrivingDuringAnArrivalIsHandledAfterIt) {
    for (const bool close : {false, true}) {
        Session t;
        ASSERT_TRUE(t.connectToLocalServer());
        t.state.QsyPending = true;
        bool sent = false;
        t.dwell = [&] {
            if (!std::exchange(sent, true)) {
                t.say("To ALL de SKIMMER 1200Z : Clicked on \"\" at 14000\r\n");
                if (close) {
                    t.peer->disconnectFromHost();
                }
                t.waitFor([&] {
                    return close ? t.socket.state() != QAbstractSocket::ConnectedState
                                 : t.socket.bytesAvailable() > 0;
                });
            }
            return u"30"_qs;
        };
        t.say("DX de SKIM-#: 14000.0 K1ABC 10 dB 20 WPM CQ 1200Z\r\n");
        ASSERT_TRUE(t.waitFor([&] { return !t.state.QsyPending; })) << close;
        EXPECT_TRUE(t.received.startsWith(u"DX de"_qs)) << close;
        EXPECT_EQ(t.socket.state() == QAbstractSocket::UnconnectedState, close);
        EXPECT_FALSE(t.state.ClientReceiveBusy);
    }
}

}  // namespace
}  // namespace keyrelay
