// The sweep window's wiring, on the fake desktop and, in telnet mode, against skimsim on
// a loopback port; what the step and Start/Stop decide is tested on the logic.
#include <gtest/gtest.h>
#include <QAction>
#include <QApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTcpServer>
#include <QTimer>

#include "SkimsimProcess.h"
#include "support/TestProgram.h"
#include "sweep/HelpFrm.h"
#include "sweep/SweepSettingsFile.h"
#include "telnet/SkimmerTelnet.h"
#include "telnet/TerminalText.h"
#include "ui/Indicator.h"

namespace keyrelay {
namespace {

using Strings = std::vector<std::string>;

// A program with its main window ticking and the sweep aimed at "CW Skimmer".
struct Sweeping : test::TestProgram {
    Sweeping() {
        pad();
        fake.windows.addWindow("CW Skimmer");
        sweep().TargetName->setText(u"CW Skimmer"_qs);
        sweep().SufixStr->setText(u"~"_qs);
        setLine(0, "7000", "7100", "1", "2");
    }
    const Strings& messages() const { return fake.dialogs.messages(); }
};

TEST(QsySweep, SettingsComeFromTheFileAndGoBackOnClose) {
    test::TestProgram p;
    SweepSettings stored;
    stored.rows[2] = {u"7000"_qs, u"7040"_qs, u"1"_qs, u"30*"_qs, 1, {}, {}};
    stored.ViaTelnet = 1;
    stored.ReturnApp = QString(100'000, u'a');  // no text box limit cuts a stored value
    ASSERT_TRUE(SweepSettingsFile::save(SweepSettingsFile::pathIn(p.folder.path()), stored));
    EXPECT_EQ(p.sweep().settings(), stored);
    // The keystroke fields are of no use while ViaTelnet is checked, from the file on.
    EXPECT_FALSE(p.sweep().SufixStr->isEnabled());
    p.sweep().ViaTelnet->click();
    EXPECT_TRUE(p.sweep().SufixStr->isEnabled());
    stored.ViaTelnet = 0;
    for (const bool viaFile : {false, true}) {  // Quit frees the channel, File does not
        p.state.ChannelBusy = true;
        viaFile ? p.sweep().FX->trigger() : p.sweep().Command1_Click();
        EXPECT_EQ(p.state.ChannelBusy, viaFile);
        EXPECT_FALSE(p.windows.isLoaded(QsySweep::Name));
        EXPECT_EQ(p.sweep().settings(), stored);
    }
    // A failed save is told, and the window still goes.
    p.ctx.settingsFolder = p.path(u"missing/folder"_qs);
    p.sweep().Command1_Click();
    EXPECT_FALSE(p.windows.isLoaded(QsySweep::Name));
    EXPECT_EQ(p.fake.dialogs.messages().size(), 1u);
}

// Two copies of the program in one folder share the file: the one that closes last
// replaces what the other wrote only when the user says Yes.
TEST(QsySweep, AFileAnotherCopyWroteIsReplacedOnlyOnYes) {
    for (const bool yes : {false, true}) {
        test::TestProgram first, second;
        second.ctx.settingsFolder = first.folder.path();
        first.sweep().ReturnApp->setText(u"first"_qs);
        second.sweep().ReturnApp->setText(u"second"_qs);
        first.sweep().close();
        second.fake.dialogs.queueYesNo(yes);
        second.sweep().close();
        EXPECT_EQ(second.fake.dialogs.questions().size(), 1u);
        EXPECT_EQ(first.sweep().ReturnApp->text(), yes ? u"second"_qs : u"first"_qs);
    }
}

TEST(QsySweep, StartCollapsesAndStepsThenTheTickStepsOnTheDwell) {
    Sweeping p;
    QsySweep& s = p.sweep();
    const auto children =
        s.Command1->parentWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    std::vector<QRect> full;
    for (QWidget* w : children) {
        full.push_back(w->geometry());
    }
    s.show();  // the window manager activates it 300 ms later: the first step waits for it
    p.fake.clock.startTimer(300, [&] { test::TestProgram::activate(s); });
    s.resize(s.width() + 150, s.height());  // widened by the user, it stays so
    const int wide = s.width();
    s.Command2_Click();
    EXPECT_TRUE(s.TargetName->isHidden() && s.ImAServer->isHidden());
    // The running controls on one row in view, the table out of view.
    const QPoint form = s.Command1->parentWidget()->pos();
    const QRect row = s.Command1->geometry().united(s.Shape3->geometry()).translated(form);
    EXPECT_TRUE(row.bottom() <= s.height() && row.height() < 2 * s.Shape3->height());
    EXPECT_GT(s.StartFreq[0]->y() + form.y(), s.height());
    // A step takes 1.5 s; the first tick past the two-second dwell after it steps again.
    p.seconds(9);  // to 10800
    EXPECT_EQ(p.typedFrequencies(), (Strings{"7000@300", "7001@4000", "7002@8000"}));
    s.Command3_Click();
    s.Command2_Click();  // no second wait for the window manager
    EXPECT_EQ(p.typedFrequencies().back(), "7003@10800");
    s.COLx->trigger();  // "Expand"
    EXPECT_FALSE(s.TargetName->isHidden() || s.ImAServer->isHidden());
    for (qsizetype i = 0; i < children.size(); ++i) {
        EXPECT_EQ(children[i]->geometry(), full[static_cast<std::size_t>(i)]);
    }
    EXPECT_EQ(s.width(), wide);
    s.COLx->trigger();  // "Collapse"
    s.Command3_Click();
    s.ViaTelnet->setChecked(true);  // telnet steps without a connection say so
    s.Command2_Click();
    p.seconds(6);  // two more dwells while the notice is up: no second one
    EXPECT_EQ(p.messages().size(), 1u);
    p.fake.dialogs.answerNotices();
    p.seconds(3);  // answered, the next dwell tries again and says so again
    EXPECT_EQ(p.messages().size(), 2u);
    s.Command3_Click();
    s.ImAServer->setChecked(true);  // telnet mode: Start connects to the decoder first
    s.SkimmerPort->setText(u"not a port"_qs);
    s.Command2_Click();
    EXPECT_EQ(p.messages().back(), "Unable to attach to local telnet. Is CW Skimmer started");
    EXPECT_TRUE(s.Shape1->isHidden());
    p.pad().close();  // the program ends with a notice up, whose late answer finds no window
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    p.fake.dialogs.answerNotices();
}

TEST(QsySweep, QuitDuringAStepLetsTheStepFinishBeforeTheWindowGoes) {
    Sweeping p;
    QPointer<QsySweep> s = &p.sweep();
    p.fake.clock.startTimer(700, [&] {
        if (!s->isUnloaded()) {
            s->Command1_Click();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            EXPECT_FALSE(s.isNull());
        }
    });
    s->Command2_Click();
    EXPECT_EQ(p.fake.standardKeys.keys(), (Strings{"7000", "~"}));
    // The tick inside the step has loaded the window afresh, hidden and stopped.
    QsySweep* reloaded = p.windows.ifLoaded<QsySweep>();
    ASSERT_TRUE(reloaded && reloaded != s.data() && reloaded->Shape1->isHidden());
    EXPECT_FALSE(p.state.ChannelBusy || p.state.SweepStepping);
}

TEST(QsySweep, HintsEndTimesSendingAboutAndHelp) {
    Sweeping p;
    QsySweep& s = p.sweep();
    QEvent enter(QEvent::Enter);
    QCoreApplication::sendEvent(s.DurSec[4], &enter);
    EXPECT_TRUE(s.DurSec[4]->toolTip().contains(u"reset to 0 when a spot is found"_qs));
    s.StartTime[3]->setText(u"10:00"_qs);
    s.EndTime[3]->setText(u"09:59"_qs);
    s.show();
    QApplication::setActiveWindow(&s);
    s.StartTime[3]->setFocus();
    s.EndTime[3]->setFocus();  // the start time is not checked
    QWidget elsewhere;         // another program comes to the front: no check
    elsewhere.show();
    QApplication::setActiveWindow(&elsewhere);
    EXPECT_TRUE(p.messages().empty());
    QApplication::setActiveWindow(&s);
    s.StartFreq[3]->setFocus();  // a move to another field of the window checks it
    EXPECT_EQ(p.messages(), Strings{"End time should be greater than the start time."});
    EXPECT_TRUE(s.EndTime[3]->text().isEmpty());

    s.Text1->setText(u"3525"_qs);
    p.state.ChannelBusy = true;  // a manual send does not ask for the channel
    s.Sending->click();
    EXPECT_EQ(p.fake.standardKeys.keys(), (Strings{"", "3525", "~"}));

    s.ABT->trigger();
    EXPECT_TRUE(p.messages().back().starts_with("Keyrelay ") &&
                p.messages().back().find("\nhttps://") != std::string::npos);
    s.HLP->trigger();
    EXPECT_FALSE(p.windows.get<HelpFrm>().isHidden());
}

// The program follows another program's sweep: the green link dot shown, the red one not.
TEST(QsySweep, ALinkedClientLeavesTheRunningToItsServer) {
    Sweeping p;
    CmdPadF& pad = p.pad();
    pad.CMND[0]->setText(u"a"_qs);
    pad.RepSec[0]->setText(u"30"_qs);
    QsySweep& s = p.sweep();
    s.Shape2->show();
    pad.keypadAutoStart();
    s.autoStart();
    EXPECT_TRUE(s.Shape1->isHidden());
    s.Command2_Click();  // handed to the server, which is not there: said, nothing typed
    EXPECT_EQ(p.messages().size(), 1u);
    s.Shape1->show();  // as the server's keep-alive shows its sweep running
    s.Sending->click();
    p.seconds(5);
    EXPECT_TRUE(p.fake.standardKeys.keys().empty());

    s.Shape3->show();  // a server showing both dots types for itself
    p.seconds(2);
    EXPECT_FALSE(p.typedFrequencies().empty());
}

// The sockets are real: every wait of the virtual clock runs Qt's events a moment.
TEST(QsySweep, TelnetModeLogsInAndTheTickSendsTheStepsToTheDecoder) {
    test::SkimsimProcess skimsim;
    ASSERT_NE(skimsim.port(), 0) << "skimsim did not start";
    Sweeping p;
    p.fake.clock.setEventPump([] { QCoreApplication::processEvents(QEventLoop::AllEvents, 1); });
    QsySweep& s = p.sweep();
    s.ViaTelnet->setChecked(true);
    s.ImAServer->setChecked(true);
    s.SkimmerPort->setText(QString::number(skimsim.port()));
    auto commands = [&] { return skimsim.received().filter(u"SKIMMER/QSY"_qs); };

    s.Command2_Click();
    ASSERT_TRUE(test::realWait([&] { return skimsim.received().contains(u"NOCALL\r"_qs); }));
    EXPECT_TRUE(commands().isEmpty());  // the first step comes from the tick
    p.seconds(9);
    ASSERT_TRUE(test::realWait([&] { return commands().size() >= 3; }))
        << skimsim.log().toStdString();
    EXPECT_EQ(commands(), (QStringList{u"SKIMMER/QSY 7000\r"_qs, u"SKIMMER/QSY 7001\r"_qs,
                                       u"SKIMMER/QSY 7002\r"_qs}));
    EXPECT_TRUE(skimsim.log().contains(u"SKIMMER/QSY 7002"_qs));  // as skimsim understood it
    ASSERT_TRUE(test::realWait([&] { return s.Text2->toPlainText().contains(u"Clicked on"_qs); }));
    // Stop keeps the connection; Start steps at once on it, as "Sending:" sends.
    s.Command3_Click();
    s.Command2_Click();
    s.Text1->setText(u"SKIMMER/QSY 3512.5"_qs);
    s.Sending->click();
    ASSERT_TRUE(test::realWait([&] { return commands().size() == 5; }));
    EXPECT_EQ(commands().mid(3),
              (QStringList{u"SKIMMER/QSY 7003\r"_qs, u"SKIMMER/QSY 3512.5\r"_qs}));
    EXPECT_EQ(skimsim.received().count(u"NOCALL\r"_qs), 1);
    EXPECT_TRUE(p.fake.standardKeys.keys().empty() && p.messages().empty());
}

// A peer on the decoder's port sends 50 MiB without a line end: the window takes it in
// bounded pieces, its event loop turns between them, and it keeps only a tail of the text.
TEST(QsySweep, ATelnetFloodWithoutLineEndsLeavesTheWindowAnswering) {
    QTcpServer decoder;
    ASSERT_TRUE(decoder.listen(QHostAddress::LocalHost, 0));
    Sweeping p;
    p.fake.clock.setEventPump([] { QCoreApplication::processEvents(QEventLoop::AllEvents, 1); });
    QsySweep& s = p.sweep();
    s.ViaTelnet->setChecked(true);
    s.ImAServer->setChecked(true);
    s.SkimmerPort->setText(QString::number(decoder.serverPort()));
    s.Command2_Click();
    ASSERT_TRUE(decoder.hasPendingConnections() || decoder.waitForNewConnection(5000));
    std::unique_ptr<QTcpSocket> peer(decoder.nextPendingConnection());
    TerminalF& terminal = TerminalF::open(p.windows);
    const QByteArray block(1 << 20, 'x');
    const qint64 total = 50 * block.size();
    qint64 sent = 0, received = 0, arrivals = 0, turns = 0, biggest = 0, unread = 0, shown = 0;
    QObject::connect(s.Telnet, &SkimmerTelnet::terminalText, [&](const QString& chunk) {
        received += chunk.size(), ++arrivals, biggest = std::max<qint64>(biggest, chunk.size());
    });
    QTimer turn;  // fires at every turn of the event loop that is free to
    turn.callOnTimeout([&] { ++turns; });
    turn.start(0);
    for (const QDeadlineTimer limit(240000); received < total && !limit.hasExpired();) {
        if (sent < total && peer->bytesToWrite() < block.size()) {
            sent += peer->write(block);
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        unread = std::max(unread, s.Winsock2->bytesAvailable());
        shown = std::max<qint64>(
            {shown, s.Text2->toPlainText().size(), terminal.Text1->toPlainText().size()});
    }
    ASSERT_EQ(received, total);
    EXPECT_GE(turns, arrivals);
    EXPECT_LE(std::max(biggest, unread), SkimmerTelnet::MaxArrivalBytes);  // work and memory
    EXPECT_LE(shown, TerminalText::MaxKept);
    EXPECT_LE(s.Text2->toPlainText().size(), SkimmerTelnet::ShownChars);
    peer->write("\r\nDX de SKIM-#: 14000.0 K1ABC 10 dB CQ 1200Z\r\n");  // and still reads
    EXPECT_TRUE(test::realWait([&] { return s.Text2->toPlainText().contains(u"K1ABC"_qs); }));
    EXPECT_TRUE(terminal.Text1->toPlainText().contains(u"K1ABC"_qs));
}

}  // namespace
}  // namespace keyrelay
