// The sweep window's wiring on the fake desktop: its settings file, Start and the tick,
// the layouts, hints, the end-time check, "Sending:", and the program as a linked client.
// What the step and Start/Stop decide is tested on the logic (SweepStepTest).
#include <gtest/gtest.h>
#include <QAction>
#include <QDir>
#include <QFocusEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>

#include "support/TestProgram.h"
#include "sweep/HelpFrm.h"
#include "sweep/SweepSettingsFile.h"
#include "ui/Indicator.h"

namespace keyrelay {
namespace {

using Strings = std::vector<std::string>;

// A program with its main window ticking and the sweep aimed at "CW Skimmer".
struct Sweeping : test::TestProgram {
    Sweeping() {
        pad();
        fake.windows.addWindow("CW Skimmer");
        sweep().TargetName->setText(QStringLiteral("CW Skimmer"));
        sweep().SufixStr->setText(QStringLiteral("~"));
    }
};

void send(QWidget* w, QEvent::Type type) {
    QFocusEvent event(type, Qt::TabFocusReason);
    QCoreApplication::sendEvent(w, &event);
}

TEST(QsySweep, SettingsComeFromTheFileAndGoBackOnClose) {
    test::TestProgram p;
    SweepSettings stored;
    stored.rows[2] = {u"7000"_qs, u"7040"_qs, u"1"_qs, u"30*"_qs, 1, {}, {}};
    stored.ViaTelnet = 1;
    ASSERT_TRUE(SweepSettingsFile::save(p.folder.path(), stored));
    QsySweep& s = p.sweep();
    EXPECT_EQ(s.settings(), stored);
    EXPECT_TRUE(p.state.KeepAliveAnswered[0]);
    // The keystroke fields are of no use while ViaTelnet is checked, from the file on.
    EXPECT_FALSE(s.SufixStr->isEnabled());
    s.ViaTelnet->click();
    EXPECT_TRUE(s.SufixStr->isEnabled());
    stored.ViaTelnet = 0;

    // Quit frees the channel; File leaves it as it is. Both save.
    for (const bool viaFile : {false, true}) {
        p.state.ChannelBusy = true;
        viaFile ? p.sweep().FX->trigger() : p.sweep().Command1_Click();
        EXPECT_EQ(p.state.ChannelBusy, viaFile);
        EXPECT_FALSE(p.windows.isLoaded(QsySweep::Name));
        EXPECT_EQ(p.sweep().settings(), stored);
    }

    // A save that fails says so where it can be read later, and the window still goes.
    p.ctx.settingsFolder = p.path(u"missing/folder"_qs);
    QPointer<QsySweep> gone = &p.sweep();
    gone->Command1_Click();
    EXPECT_FALSE(p.windows.isLoaded(QsySweep::Name));
    ASSERT_FALSE(gone.isNull());
    EXPECT_TRUE(gone->TxtStatus->text().startsWith(u"Could not save"_qs));
    EXPECT_TRUE(p.fake.dialogs.messages().empty());
}

TEST(QsySweep, StartCollapsesAndStepsThenTheTickStepsOnTheDwell) {
    Sweeping p;
    QsySweep& s = p.sweep();
    p.setLine(0, "7000", "7100", "1", "2");
    s.Command2_Click();
    s.Command2_Click();  // already running: nothing
    EXPECT_EQ(p.typedFrequencies(), Strings{"7000@0"});
    EXPECT_EQ(s.COLx->text(), "Expand");
    EXPECT_EQ(s.layoutHeight(), QsySweep::CompactHeight);
    // A step takes 1.5 s; the first tick past the two-second dwell after it steps again.
    p.seconds(9);
    EXPECT_EQ(p.typedFrequencies(), (Strings{"7000@0", "7001@4000", "7002@8000"}));
    s.Command3_Click();
    EXPECT_TRUE(s.Shape1->isHidden());
    EXPECT_EQ(s.Shape1->fillColor(), Indicator::Red);
    p.seconds(10);
    EXPECT_EQ(p.typedFrequencies().size(), 3u);
}

TEST(QsySweep, QuitDuringAStepLetsTheStepFinishBeforeTheWindowGoes) {
    Sweeping p;
    p.setLine(0, "14000", "14002", "1", "0");
    QPointer<QsySweep> s = &p.sweep();
    p.fake.clock.startTimer(700, [&] {
        if (!s->isUnloaded()) {
            s->Command1_Click();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            EXPECT_FALSE(s.isNull());
        }
    });
    s->Command2_Click();
    EXPECT_EQ(p.fake.standardKeys.keys(), (Strings{"14000", "~"}));
    // The tick inside the step has loaded the window afresh, hidden and stopped.
    QsySweep* reloaded = p.windows.ifLoaded<QsySweep>();
    ASSERT_NE(reloaded, nullptr);
    EXPECT_NE(reloaded, s.data());
    EXPECT_TRUE(reloaded->Shape1->isHidden());
    EXPECT_FALSE(p.state.ChannelBusy || p.state.SweepStepping);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(s.isNull());
    EXPECT_EQ(reloaded->settings().rows[0].StartFreq, "14000");  // saved on the way out
}

TEST(QsySweep, AWindowJustShownComesToTheFrontBeforeTheFirstStep) {
    for (const bool activated : {true, false}) {
        Sweeping p;
        QsySweep& s = p.sweep();
        p.setLine(0, "7000", "7002", "1", "30");
        s.show();
        if (activated) {  // the window manager activates it 300 ms after showing it
            p.fake.clock.startTimer(300, [&] { test::TestProgram::activate(s); });
        }
        s.Command2_Click();
        s.Command3_Click();
        s.Command2_Click();  // once per showing
        EXPECT_EQ(p.typedFrequencies(), (activated ? Strings{"7000@300", "7001@1800"}
                                                   : Strings{"7000@1000", "7001@2500"}));
    }
}

TEST(QsySweep, CollapseAndExpandSwapTheLayouts) {
    test::TestProgram p;
    QsySweep& s = p.sweep();
    const auto children = s.findChildren<QWidget*>();
    std::vector<QRect> full;
    for (QWidget* w : children) {
        full.push_back(w->geometry());
    }
    s.COLx->trigger();
    EXPECT_EQ(s.layoutHeight(), QsySweep::CompactHeight);
    EXPECT_TRUE(s.TargetName->isHidden() && s.IpAddr->isHidden() && s.ImAServer->isHidden());
    // The running controls share one row inside the window; the table is out of view.
    std::vector<QRect> row;
    for (QWidget* w :
         std::initializer_list<QWidget*>{s.Command1, s.Command2, s.Shape1, s.Command3, s.Sending,
                                         s.Text1, s.Label12, s.Port, s.Shape2, s.Shape3}) {
        const QRect r(w->mapTo(&s, QPoint(0, 0)), w->size());
        for (const QRect& other : row) {
            EXPECT_FALSE(other.intersects(r)) << w->metaObject()->className();
        }
        EXPECT_LE(r.bottom(), s.height());
        EXPECT_LE(r.right(), s.width());
        row.push_back(r);
    }
    EXPECT_GT(s.StartFreq[0]->mapTo(&s, QPoint(0, 0)).y(), s.height());

    s.COLx->trigger();
    EXPECT_EQ(s.layoutHeight(), QsySweep::FullHeight);
    EXPECT_FALSE(s.TargetName->isHidden() || s.IpAddr->isHidden() || s.ImAServer->isHidden());
    for (qsizetype i = 0; i < children.size(); ++i) {
        EXPECT_EQ(children[i]->geometry(), full[static_cast<std::size_t>(i)]);
    }
}

TEST(QsySweep, HintsComeWithTheMouseAndEndTimesAreCheckedOnLeaving) {
    test::TestProgram p;
    QsySweep& s = p.sweep();
    QEvent enter(QEvent::Enter);
    QCoreApplication::sendEvent(s.DurSec[4], &enter);
    EXPECT_TRUE(s.DurSec[4]->toolTip().contains(u"reset to 0 when a spot is found"_qs));
    EXPECT_TRUE(s.CycleBands->toolTip().isEmpty());  // its hint comes with the first click
    s.CycleBands->click();
    EXPECT_FALSE(s.CycleBands->toolTip().isEmpty());

    s.StartTime[3]->setText(u"10:00"_qs);
    s.EndTime[3]->setText(u"09:59"_qs);
    send(s.StartTime[3], QEvent::FocusOut);  // the start time is not checked
    EXPECT_TRUE(p.fake.dialogs.messages().empty());
    send(s.EndTime[3], QEvent::FocusOut);
    EXPECT_EQ(p.fake.dialogs.messages(),
              Strings{"End time should be greater than the start time."});
    EXPECT_TRUE(s.EndTime[3]->text().isEmpty());
}

TEST(QsySweep, SendingTypesTheCommandOrReportsWhyNot) {
    Sweeping p;
    QsySweep& s = p.sweep();
    s.Text1->setText(u"3525"_qs);
    p.state.ChannelBusy = true;  // a manual send does not ask for the channel
    s.Sending->click();
    EXPECT_EQ(p.fake.standardKeys.keys(), (Strings{"", "3525", "~"}));
    EXPECT_TRUE(s.Shape1->isHidden());

    s.TargetName->setText(u"Nothing like it"_qs);
    s.Sending->click();
    EXPECT_FALSE(s.TxtStatus->text().isEmpty());
    s.ViaTelnet->setChecked(true);
    s.ImAServer->setChecked(true);
    s.Sending->click();  // telnet mode, not connected: nothing at all
    EXPECT_EQ(p.fake.standardKeys.keys().size(), 3u);
    EXPECT_TRUE(p.fake.dialogs.messages().empty());
}

TEST(QsySweep, AboutAndHelp) {
    test::TestProgram p;
    p.sweep().ABT->trigger();
    ASSERT_EQ(p.fake.dialogs.messages().size(), 1u);
    EXPECT_EQ(p.fake.dialogs.messages()[0].rfind("Keyrelay ", 0), 0u);
    EXPECT_NE(p.fake.dialogs.messages()[0].find("\nhttps://"), std::string::npos);
    p.sweep().HLP->trigger();
    HelpFrm* help = p.windows.ifLoaded<HelpFrm>();
    ASSERT_NE(help, nullptr);
    EXPECT_FALSE(help->isHidden());
}

// The program follows another program's sweep: the green link dot shown, the red one not.
TEST(QsySweep, ALinkedClientLeavesTheRunningToItsServer) {
    Sweeping p;
    CmdPadF& pad = p.pad();
    pad.AppTitle->setText(u"CW Skimmer"_qs);
    pad.CMND[0]->setText(u"a"_qs);
    pad.RepSec[0]->setText(u"30"_qs);
    QsySweep& s = p.sweep();
    p.setLine(0, "7000", "7100", "1", "0");
    s.Shape2->show();

    pad.keypadAutoStart();
    s.autoStart();
    EXPECT_TRUE(s.Shape1->isHidden());
    s.Command2_Click();  // handed to the server: the dot shows, nothing is typed here
    EXPECT_FALSE(s.Shape1->isHidden());
    p.seconds(5);
    EXPECT_TRUE(p.fake.standardKeys.keys().empty());

    s.Shape3->show();  // a server showing both dots types for itself
    p.seconds(2);
    EXPECT_FALSE(p.typedFrequencies().empty());
    pad.keypadAutoStart();
    EXPECT_EQ(p.fake.standardKeys.keys().back(), "a");
}

}  // namespace
}  // namespace keyrelay
