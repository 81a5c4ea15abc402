// The sweep in telnet mode against skimsim, a real process on a loopback port. Time in
// the window is virtual (the main window's tick, the dwell); the sockets are real, so
// every wait of the virtual clock also runs Qt's events for a moment of real time, and
// between the steps the test waits in real time for skimsim, virtual time standing.
#include <gtest/gtest.h>
#include <QAction>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include "SkimsimProcess.h"
#include "fakes/LoopbackPorts.h"
#include "support/TestProgram.h"
#include "ui/Indicator.h"

namespace keyrelay {
namespace {

void pumpOnce() {
    QEventLoop loop;
    QTimer::singleShot(1, &loop, &QEventLoop::quit);
    loop.exec();
}

// Runs Qt's events until `done` holds; false after ten seconds of real time.
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

struct TelnetSweep : test::TestProgram {
    explicit TelnetSweep(const QString& port) {
        fake.clock.setEventPump(pumpOnce);
        pad();
        sweep().ViaTelnet->setChecked(true);
        sweep().ImAServer->setChecked(true);
        sweep().SkimmerPort->setText(port);
        setLine(0, "14000", "14002", "1", "2");
    }
};

TEST(QsySweepTelnet, LogsInAndTheTickSendsTheStepsToTheDecoder) {
    test::SkimsimProcess skimsim;
    ASSERT_NE(skimsim.port(), 0) << "skimsim did not start";
    TelnetSweep p(QString::number(skimsim.port()));
    QsySweep& s = p.sweep();
    auto commands = [&] { return skimsim.received().filter(u"SKIMMER/QSY"_qs); };
    auto reach = [&](qsizetype n) { return realWait([&] { return commands().size() >= n; }); };

    s.Command2_Click();
    ASSERT_FALSE(s.Shape1->isHidden());
    ASSERT_TRUE(realWait([&] { return skimsim.received().contains(u"NOCALL\r"_qs); }));
    EXPECT_EQ(s.COLx->text(), "Expand");
    EXPECT_TRUE(commands().isEmpty());  // the first step comes from the tick
    p.seconds(12);
    ASSERT_TRUE(reach(4)) << skimsim.log().toStdString();
    EXPECT_EQ(commands().mid(0, 4),
              (QStringList{u"SKIMMER/QSY 14000\r"_qs, u"SKIMMER/QSY 14001\r"_qs,
                           u"SKIMMER/QSY 14002\r"_qs, u"SKIMMER/QSY 14000\r"_qs}));
    EXPECT_TRUE(skimsim.log().contains(u"SKIMMER/QSY 14002"_qs));
    ASSERT_TRUE(realWait([&] { return s.Text2->toPlainText().contains(u"Clicked on"_qs); }));

    // Stop keeps the connection; Start then steps at once, on the one login.
    s.Command3_Click();
    p.seconds(10);
    const qsizetype before = commands().size();
    s.Command2_Click();
    ASSERT_TRUE(reach(before + 1));
    EXPECT_EQ(skimsim.received().count(u"NOCALL\r"_qs), 1);

    // "Sending:" uses the same connection.
    s.Text1->setText(u"SKIMMER/QSY 7012.5"_qs);
    s.Sending->click();
    ASSERT_TRUE(realWait([&] { return skimsim.received().last() == u"SKIMMER/QSY 7012.5\r"_qs; }));
    EXPECT_TRUE(p.fake.standardKeys.keys().empty());
    EXPECT_TRUE(p.fake.dialogs.messages().empty());
}

TEST(QsySweepTelnet, StartWithNothingListeningSaysSoAndDoesNotRun) {
    TelnetSweep p(QString::number(test::LoopbackPorts::closed()));
    p.sweep().Command2_Click();
    EXPECT_EQ(p.fake.dialogs.messages(),
              std::vector<std::string>{"Unable to attach to local telnet. Is CW Skimmer started"});
    EXPECT_TRUE(p.sweep().Shape1->isHidden());
}

}  // namespace
}  // namespace keyrelay
