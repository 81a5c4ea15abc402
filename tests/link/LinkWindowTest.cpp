// Two programs in one process linked over real loopback sockets: one listens, the other
// connects as a client; each runs on its own virtual clock, which pumps Qt's events.
#include <gtest/gtest.h>
#include <QAction>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTcpSocket>
#include <QTimer>
#include <memory>
#include <tuple>

#include "fakes/LoopbackPorts.h"
#include "fakes/VirtualClock.h"
#include "link/LinkBufferText.h"
#include "link/LinkClient.h"
#include "link/LinkServer.h"
#include "support/TestProgram.h"
#include "ui/Indicator.h"

namespace keyrelay {
namespace {

struct Station : test::TestProgram {
    QsySweep& s = sweep();
    Station() {
        fake.clock.setEventPump([] { QCoreApplication::processEvents(QEventLoop::AllEvents, 1); });
        fake.windows.addWindow("Target");
        s.TargetName->setText(u"Target"_qs);
    }
    const std::vector<std::string>& messages() const { return fake.dialogs.messages(); }
};

struct Link : ::testing::Test {
    Station server, client;
    quint16 port = 0;
    QTcpSocket raw;  // a peer that sends what the test says and never answers by itself

    void SetUp() override {
        server.s.Port->setText(u"0"_qs);  // the system picks the port
        test::TestProgram::activate(server.s);
        port = server.s.Winsock1->listeningPort();
        ASSERT_NE(port, 0);
        server.s.Port->setText(QString::number(port));
        client.s.IpAddr->setText(u"127.0.0.1"_qs);
        client.s.Port->setText(QString::number(port));
    }
    void connectClient() {
        client.s.Connect->trigger();
        ASSERT_EQ(client.s.Connect->text(), u"Disconnect"_qs) << client.messages().back();
        ASSERT_TRUE(test::realWait([&] { return server.state.AcceptedCount == 1; }));
    }
    void connectRaw() {
        raw.connectToHost(u"127.0.0.1"_qs, port);
        // Accepted, or turned away.
        ASSERT_TRUE(test::realWait([&] {
            return server.state.AcceptedCount > 0 || !server.s.TxtStatus->text().isEmpty();
        }));
    }
    QString rawText() {
        test::realWait([&] { return raw.bytesAvailable() > 0; });
        return QString::fromLatin1(raw.readAll());
    }
};

TEST_F(Link, RcvDataTakesTheServersTableAndSendDataGivesItThisOne) {
    server.setLine(0, "7000", "7100", "1", "10");
    server.s.PrefixStr->setText(u"%CT"_qs);
    client.setLine(1, "3500", "3560", "2", "5");
    client.s.ReturnApp->setText(u"Logger"_qs);
    connectClient();
    client.s.Command6->click();
    ASSERT_TRUE(test::realWait([&] { return client.s.StartFreq[0]->text() == u"7000"_qs; }));
    EXPECT_TRUE(client.s.StartFreq[1]->text().isEmpty() && !client.s.IncCheck[1]->isChecked());
    EXPECT_EQ(client.s.PrefixStr->text(), u"%CT"_qs);
    EXPECT_EQ(client.s.ReturnApp->text(), u"Logger"_qs);  // an empty one is not sent
    EXPECT_EQ(server.s.TxtStatus->text(), u"Data Sent"_qs);

    client.s.StartFreq[2]->setText(u"14000"_qs);
    client.s.Command4->click();
    EXPECT_EQ(client.s.TxtStatus->text(), u"Data Sent"_qs);
    ASSERT_TRUE(test::realWait([&] { return server.s.StartFreq[2]->text() == u"14000"_qs; }));
    EXPECT_EQ(server.s.ReturnApp->text(), u"Logger"_qs);
    EXPECT_TRUE(server.state.LinkBuffer.isEmpty());           // nothing added to the table's text
    EXPECT_EQ(server.s.Port->text(), QString::number(port));  // what does not travel stays
}

TEST_F(Link, StartAndStopRunTheServerAndTheKeepAliveShowsItOnTheClient) {
    server.setLine(0, "7000", "7100", "1", "10");
    connectClient();
    for (const bool run : {true, false}) {
        run ? client.s.Command2_Click() : client.s.Command3_Click();
        EXPECT_EQ(client.s.Shape1->isHidden(), !run);
        ASSERT_TRUE(test::realWait([&] { return server.s.Shape1->isHidden() == !run; }));
        client.s.Shape1->setVisible(!run);
        client.s.Label15->setText(u"?"_qs);
        server.seconds(30);
        EXPECT_TRUE(test::realWait([&] {
            return client.s.Shape1->isHidden() == !run && client.s.Label15->text() == u"1"_qs &&
                   server.state.KeepAliveAnswered[1];
        })) << run;
    }
    EXPECT_FALSE(server.s.Shape3->isHidden());
    EXPECT_TRUE(client.typedFrequencies().empty());  // the server swept, not the client
    EXPECT_FALSE(server.typedFrequencies().empty());
    // Disconnect stops the sweep first, which on a linked client is the server's.
    client.s.Command2_Click();
    ASSERT_TRUE(test::realWait([&] { return !server.s.Shape1->isHidden(); }));
    client.s.Connect->trigger();
    EXPECT_EQ(client.s.Connect->text(), u"Connect"_qs);
    EXPECT_TRUE(test::realWait([&] { return server.s.Shape1->isHidden(); }));
}

TEST_F(Link, SendingOnALinkedClientIsTypedByTheServersTargetOnly) {
    connectClient();
    client.s.Text1->setText(u"14025"_qs);
    client.s.Sending->click();
    ASSERT_TRUE(test::realWait([&] { return !server.typedFrequencies().empty(); }));
    EXPECT_EQ(server.s.Text1->text(), u"14025"_qs);
    EXPECT_TRUE(client.typedFrequencies().empty());
    EXPECT_TRUE(server.state.LinkBuffer.isEmpty());
}

TEST_F(Link, ASilentClientGetsOneKeepAliveAndTheServerResetsWhenNoneAnswers) {
    connectClient();
    connectRaw();
    for (int tick = 0; tick < 2; ++tick) {  // the second one goes to the answering client only
        server.seconds(30);
        ASSERT_TRUE(test::realWait([&] { return server.state.KeepAliveAnswered[1]; }));
    }
    EXPECT_EQ(rawText(), u"&KAN2////"_qs);
    client.s.Connect->trigger();  // the answering client goes
    EXPECT_EQ(client.s.TxtStatus->text(), u"Disconnected"_qs);
    server.s.Port->setText(u"x"_qs);  // and the server cannot listen again
    ASSERT_TRUE(test::realWait([&] {
        server.seconds(30);
        return server.state.AcceptedCount == 0;
    }));
    EXPECT_EQ(server.s.Text1->text(), u"Connection Lost"_qs);
    EXPECT_TRUE(server.s.TxtStatus->text().startsWith(u"The port is not a number"_qs));
    EXPECT_EQ(server.s.Connect->text(), u"Connection"_qs);
    EXPECT_TRUE(server.s.Shape3->isHidden());
    EXPECT_TRUE(test::realWait([&] { return raw.state() == QAbstractSocket::UnconnectedState; }));
}

TEST_F(Link, APortThatCannotBeHadIsReportedAndCommand5ListensAgainKeepingTheClients) {
    for (const QString& text : {u"x"_qs, QString::number(port)}) {
        Station other;
        other.s.Port->setText(text);
        test::TestProgram::activate(other.s);
        EXPECT_EQ(other.messages().size(), 1u) << text.toStdString();
        EXPECT_EQ(other.s.Winsock1->listeningPort(), 0);
    }
    connectRaw();
    server.s.Command4->click();  // no client has sent anything yet: nobody to send to
    EXPECT_EQ(server.messages(), std::vector<std::string>{" 40006 The socket is not connected"});
    server.s.Command5->click();
    EXPECT_EQ(server.s.Winsock1->listeningPort(), port);
    EXPECT_EQ(server.state.AcceptedCount, 1);
    EXPECT_GE(server.fake.clock.elapsedMs(), 3500);
    server.s.Connect->trigger();  // Disconnect drops the clients and listens afresh
    EXPECT_EQ(server.state.AcceptedCount, 0);
    EXPECT_TRUE(test::realWait([&] { return raw.state() == QAbstractSocket::UnconnectedState; }));
    EXPECT_EQ(server.s.Winsock1->listeningPort(), port);
}

TEST(LinkClient, AFailedStepSaysWhy) {
    VirtualClock clock;
    QTcpSocket idle, connecting;
    connecting.connectToHost(u"127.0.0.1"_qs, test::LoopbackPorts::closed());
    const std::vector<std::tuple<QTcpSocket*, const char*, const char*>> cases{
        {&connecting, "80", "Unable to connect to maps. Make sure"},
        {&idle, "x", "The port is not a number from 1 to 65535: x Wait a few seconds"}};
    for (const auto& [socket, portText, begins] : cases) {
        try {
            LinkClient::connectTo(*socket, clock, u"127.0.0.1"_qs, QString::fromLatin1(portText));
            ADD_FAILURE() << portText;
        } catch (const PlatformError& e) {
            EXPECT_TRUE(LinkClient::failureMessage(&e).startsWith(QLatin1String(begins)))
                << portText;
        }
    }
}

TEST_F(Link, ConnectingWhereNothingListensSaysSoAfterTheWait) {
    client.s.Port->setText(QString::number(test::LoopbackPorts::closed()));
    client.s.Connect->trigger();
    EXPECT_EQ(client.messages(), std::vector<std::string>{" Wait a few seconds and try again"});
    EXPECT_GE(client.fake.clock.elapsedMs(), 12000);
    EXPECT_TRUE(client.s.TxtStatus->text().isEmpty() && client.s.Shape2->isHidden());
    EXPECT_EQ(client.s.Connect->text(), u"Connect"_qs);
}

TEST_F(Link, AConnectionBeyondTheKeepAliveTableIsRefused) {
    server.state.AcceptedCount = LinkServer::MaxClients;
    connectRaw();
    EXPECT_TRUE(test::realWait([&] { return raw.state() == QAbstractSocket::UnconnectedState; }));
    EXPECT_EQ(server.s.TxtStatus->text(), QString::fromLatin1(LinkServer::Refused));
    EXPECT_EQ(server.state.AcceptedCount, LinkServer::MaxClients);
    EXPECT_TRUE(server.s.Shape3->isHidden());
    server.s.show();  // checking "I Am a Server" in sight warns
    server.s.ImAServer->click();
    EXPECT_EQ(server.messages(),
              std::vector<std::string>{"Make sure there is only one server on the network"});
}

// Another client's text that comes while the server reads: a probe, and a Stop sent just
// before that client went.
TEST_F(Link, WhatCameWhileTheServerWasBusyIsHandledWhenItIsDone) {
    connectRaw();
    QTcpSocket other;
    other.connectToHost(u"127.0.0.1"_qs, port);
    ASSERT_TRUE(test::realWait([&] { return server.state.AcceptedCount == 2; }));
    server.s.Shape1->show();  // the server's sweep runs
    for (const bool goes : {false, true}) {
        bool busyWhenSent = false;
        Clock::TimerId probe = 0;
        probe = server.fake.clock.startTimer(200, [&] {
            server.fake.clock.stopTimer(probe);
            busyWhenSent = server.state.ServerReceiveBusy;
            other.write(goes ? "&STOP////" : "&KA////");
            goes ? other.disconnectFromHost() : void(other.flush());
        });
        raw.write("&S07000////");  // an unfinished table: read for 51 passes
        ASSERT_TRUE(test::realWait([&] {
            return goes ? server.s.Shape1->isHidden() : other.bytesAvailable() > 0;
        })) << goes;
        EXPECT_TRUE(busyWhenSent);
    }
    EXPECT_EQ(QString::fromLatin1(other.readAll()), u"&OK////"_qs);
}

// Peers that misbehave: afterwards the server still answers a keep-alive probe and its
// receive buffer stays within its cap.
TEST_F(Link, AbusivePeersLeaveTheServerAnswering) {
    std::vector<quint32> words(25000);
    QRandomGenerator(7).fillRange(words.data(), words.size());
    const QByteArray noise(reinterpret_cast<const char*>(words.data()), 100000);
    const std::vector<std::pair<const char*, std::function<void()>>> cases = {
        {"10 MB without a terminator",
         [&] {
             raw.write(QByteArray(10 * 1024 * 1024, 'x'));
             test::realWait(
                 [&] { return raw.bytesToWrite() == 0 && !server.state.ServerReceiveBusy; });
         }},
        {"random bytes", [&] { raw.write(noise); }},
        {"1000 connections in a burst",
         [&] {
             std::vector<std::unique_ptr<QTcpSocket>> burst(1000);
             for (auto& socket : burst) {
                 (socket = std::make_unique<QTcpSocket>())->connectToHost(u"127.0.0.1"_qs, port);
             }
             test::realWait([&] { return server.state.AcceptedCount == LinkServer::MaxClients; });
             burst.clear(), raw.abort();
         }},
        {"connects and never sends", [&] { server.seconds(120); }},
        {"a byte a second", [&] {
             for (const char byte : QByteArray("&X&KA/")) {
                 raw.write(&byte, 1), raw.flush(), server.seconds(1);  // on the virtual clock
             }
         }}};
    for (const auto& [name, abuse] : cases) {
        raw.connectToHost(u"127.0.0.1"_qs, port);
        ASSERT_TRUE(test::realWait([&] { return raw.state() == QAbstractSocket::ConnectedState; }));
        abuse();
        server.seconds(31);  // a keep-alive tick: a server full of gone clients starts afresh
        QTcpSocket probe;
        probe.connectToHost(u"127.0.0.1"_qs, port);
        probe.write("&KA////");  // sent once connected
        EXPECT_TRUE(test::realWait([&] { return probe.bytesAvailable() >= 7; })) << name;
        EXPECT_EQ(probe.readAll(), "&OK////") << name;
        EXPECT_LE(server.state.LinkBuffer.size(), LinkBufferText::Capacity) << name;
        raw.abort();
    }
}

// A client that never stops sending keeps no other one waiting: a probe that comes while
// the server reads the flood is answered next.
TEST_F(Link, AClientThatNeverStopsSendingKeepsNoOtherWaiting) {
    connectRaw();
    QTcpSocket probe;
    probe.connectToHost(u"127.0.0.1"_qs, port);
    ASSERT_TRUE(test::realWait([&] { return server.state.AcceptedCount == 2; }));
    const QByteArray block(LinkServer::MaxArrivalBytes, 'x');
    QTimer feeder;  // fires also in the waits of the server's passes: the flood never ends
    feeder.callOnTimeout([&] { raw.bytesToWrite() == 0 && raw.write(block); });
    feeder.start(0);
    Clock::TimerId timer = server.fake.clock.startTimer(200, [&] {
        server.fake.clock.stopTimer(timer);
        probe.write("&KA////"), probe.flush();
    });
    EXPECT_TRUE(test::realWait([&] { return probe.bytesAvailable() >= 7; }));
}

// The list is read when listening starts: peers from 127.0.0.3 are closed and counted, the
// one from 127.0.0.2 is served, and only 127.0.0.1 listens.
TEST_F(Link, OnlyPeersOnTheAllowListAreTakenAndTheOthersCounted) {
    server.writeLines(u"LinkAllow.txt"_qs,
                      {u"127.0.0.2  # the other station"_qs, u"listen 127.0.0.1"_qs, u"bogus"_qs});
    server.s.Winsock1->startListening(server.s.Port->text());
    QTcpSocket peers[3];
    for (int i = 0; i < 3; ++i) {
        peers[i].bind(QHostAddress(i == 0 ? u"127.0.0.2"_qs : u"127.0.0.3"_qs));
        peers[i].connectToHost(u"127.0.0.1"_qs, port);
    }
    ASSERT_TRUE(test::realWait([&] {
        return server.state.AcceptedCount == 1 &&
               peers[1].state() == QTcpSocket::UnconnectedState &&
               peers[2].state() == QTcpSocket::UnconnectedState;
    }));
    EXPECT_EQ(server.s.TxtStatus->text(),
              u"Refused 127.0.0.3, not in LinkAllow.txt (2 refused)"_qs);
    peers[0].write("&KA////");
    EXPECT_TRUE(test::realWait([&] { return peers[0].bytesAvailable() >= 7; }));
    QTcpSocket elsewhere;
    elsewhere.connectToHost(u"127.0.0.2"_qs, port);
    ASSERT_TRUE(test::realWait([&] { return elsewhere.state() == QTcpSocket::UnconnectedState; }));
    EXPECT_EQ(elsewhere.error(), QAbstractSocket::ConnectionRefusedError);
}

}  // namespace
}  // namespace keyrelay
