// Two programs in one process linked over real loopback sockets: one listens, the other
// connects as a client; each runs on its own virtual clock, which pumps Qt's events.
#include <gtest/gtest.h>
#include <QAction>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTcpSocket>

#include "fakes/LoopbackPorts.h"
#include "link/LinkServer.h"
#include "support/TestProgram.h"
#include "ui/Indicator.h"

namespace keyrelay {
namespace {

// Runs Qt's events, virtual time standing, until `done` holds (ten seconds at most).
bool realWait(const std::function<bool()>& done) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < 10000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return done();
}

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
        ASSERT_TRUE(realWait([&] { return server.state.AcceptedCount == 1; }));
    }
    void connectRaw() {
        raw.connectToHost(u"127.0.0.1"_qs, port);
        // Accepted, or turned away.
        ASSERT_TRUE(realWait([&] {
            return server.state.AcceptedCount > 0 || !server.s.TxtStatus->text().isEmpty();
        }));
    }
    QString rawText() {
        realWait([&] { return raw.bytesAvailable() > 0; });
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
    ASSERT_TRUE(realWait([&] { return client.s.StartFreq[0]->text() == u"7000"_qs; }));
    EXPECT_TRUE(client.s.StartFreq[1]->text().isEmpty() && !client.s.IncCheck[1]->isChecked());
    EXPECT_EQ(client.s.PrefixStr->text(), u"%CT"_qs);
    EXPECT_EQ(client.s.ReturnApp->text(), u"Logger"_qs);  // an empty one is not sent
    EXPECT_EQ(server.s.TxtStatus->text(), u"Data Sent"_qs);

    client.s.StartFreq[2]->setText(u"14000"_qs);
    client.s.Command4->click();
    EXPECT_EQ(client.s.TxtStatus->text(), u"Data Sent"_qs);
    ASSERT_TRUE(realWait([&] { return server.s.StartFreq[2]->text() == u"14000"_qs; }));
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
        ASSERT_TRUE(realWait([&] { return server.s.Shape1->isHidden() == !run; }));
        client.s.Shape1->setVisible(!run);
        client.s.Label15->setText(u"?"_qs);
        server.seconds(30);
        EXPECT_TRUE(realWait([&] {
            return client.s.Shape1->isHidden() == !run && client.s.Label15->text() == u"1"_qs &&
                   server.state.KeepAliveAnswered[1];
        })) << run;
    }
    EXPECT_FALSE(server.s.Shape3->isHidden());
    EXPECT_TRUE(client.typedFrequencies().empty());  // the server swept, not the client
    EXPECT_FALSE(server.typedFrequencies().empty());
}

TEST_F(Link, SendingOnALinkedClientIsTypedByTheServersTargetOnly) {
    connectClient();
    client.s.Text1->setText(u"14025"_qs);
    client.s.Sending->click();
    ASSERT_TRUE(realWait([&] { return !server.typedFrequencies().empty(); }));
    EXPECT_EQ(server.s.Text1->text(), u"14025"_qs);
    EXPECT_TRUE(client.typedFrequencies().empty());
    EXPECT_TRUE(server.state.LinkBuffer.isEmpty());
}

TEST_F(Link, ASilentClientGetsOneKeepAliveAndTheServerResetsAtTheNextTick) {
    connectRaw();
    server.seconds(30);
    EXPECT_EQ(rawText(), u"&KAN1////"_qs);
    server.seconds(30);
    EXPECT_EQ(server.s.TxtStatus->text(), u"Connection Lost"_qs);
    EXPECT_EQ(server.s.Connect->text(), u"Connection"_qs);
    EXPECT_TRUE(server.s.Shape3->isHidden());
    EXPECT_EQ(server.state.AcceptedCount, 0);
    EXPECT_TRUE(realWait([&] { return raw.state() == QAbstractSocket::UnconnectedState; }));
    EXPECT_EQ(server.s.Winsock1->listeningPort(), port);  // listening afresh
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
    EXPECT_TRUE(realWait([&] { return raw.state() == QAbstractSocket::UnconnectedState; }));
    EXPECT_EQ(server.s.TxtStatus->text(), QString::fromLatin1(LinkServer::Refused));
    EXPECT_EQ(server.state.AcceptedCount, LinkServer::MaxClients);
    EXPECT_TRUE(server.s.Shape3->isHidden());
}

TEST_F(Link, DataThatCameWhileTheServerWasBusyIsHandledWhenItIsDone) {
    connectRaw();
    // An unfinished table keeps the server reading for 51 passes; the probe comes then.
    bool busyWhenSent = false;
    Clock::TimerId probe = 0;
    probe = server.fake.clock.startTimer(200, [&] {
        server.fake.clock.stopTimer(probe);
        busyWhenSent = server.state.ServerReceiveBusy;
        raw.write("&KA////");
    });
    raw.write("&S07000////");
    EXPECT_EQ(rawText(), u"&OK////"_qs);
    EXPECT_TRUE(busyWhenSent);
}

}  // namespace
}  // namespace keyrelay
