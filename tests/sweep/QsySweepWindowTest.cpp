// The sweep window's own behaviour: loading and saving its settings, hints, the end-time
// check, the plain commands and the two layouts.
#include <gtest/gtest.h>
#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "SweepHarness.h"
#include "ui/Indicator.h"
#include "ui/Twips.h"
#include "core/LineFile.h"
#include "sweep/HelpFrm.h"
#include "sweep/SweepSettingsFile.h"

namespace keyrelay {
namespace {

using Strings = std::vector<std::string>;

void hover(QWidget* w) {
    QEvent enter(QEvent::Enter);
    QCoreApplication::sendEvent(w, &enter);
}

void leave(QWidget* w) {
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QCoreApplication::sendEvent(w, &out);
}

int px(int twips) {
    return Twips::toPixels(twips);
}

TEST(SweepWindow, OpensWithItsDefaults) {
    SweepHarness h;
    QsySweep& s = h.sweep();
    EXPECT_EQ(s.SkimmerPort->text(), "7300");
    EXPECT_EQ(s.Text1->text(), "SKIMMER/QSY 14000");
    EXPECT_TRUE(s.TargetName->text().isEmpty());
    for (int i = 0; i < QsySweep::Lines; ++i) {
        EXPECT_FALSE(s.IncCheck[i]->isChecked());
        EXPECT_TRUE(s.StartFreq[i]->text().isEmpty());
    }
    EXPECT_TRUE(s.Shape1->isHidden());
    EXPECT_TRUE(s.Shape2->isHidden());
    EXPECT_TRUE(s.Shape3->isHidden());
    EXPECT_TRUE(s.Label14->isHidden());
    EXPECT_TRUE(s.Label15->isHidden());
    EXPECT_EQ(s.Label14->text(), "1");
    EXPECT_EQ(s.COLx->text(), "Collapse");
    EXPECT_EQ(s.Connect->text(), "Connect");
    EXPECT_TRUE(h.state.KeepAliveAnswered[0]);
    EXPECT_EQ(s.FreqOffset, (std::array<double, 8>{}));
}

TEST(SweepWindow, LoadsItsSettingsFileAndSavesItWhenClosed) {
    SweepHarness h;
    SweepSettings stored;
    stored.TargetName = QStringLiteral("CW Skimmer");
    stored.PrefixStr = QStringLiteral("%CT");
    stored.rows[2].StartFreq = QStringLiteral("7000");
    stored.rows[2].IncCheck = 1;
    stored.rows[2].DurSec = QStringLiteral("30*");
    stored.CycleBands = 1;
    stored.ViaTelnet = 1;
    stored.SkimmerPort = QStringLiteral("7311");
    ASSERT_TRUE(LineFile::write(QDir(h.folder()).filePath("qsysweep.TXT"),
                                SweepSettingsFile::compose(stored)));

    QsySweep& s = h.sweep();
    EXPECT_EQ(s.settings(), stored);
    EXPECT_TRUE(s.IncCheck[2]->isChecked());
    EXPECT_TRUE(s.ViaTelnet->isChecked());

    s.EndFreq[2]->setText(QStringLiteral("7040"));
    s.close();
    EXPECT_FALSE(h.windows.isLoaded(QsySweep::Name));
    stored.rows[2].EndFreq = QStringLiteral("7040");

    // Loaded again on the next read, from the file it wrote.
    EXPECT_EQ(h.sweep().settings(), stored);
    EXPECT_EQ(QDir(h.folder()).entryList({"*.txt", "*.TXT"}, QDir::Files).size(), 1);
}

TEST(SweepWindow, ASaveThatFailsDoesNotHoldUpTheClosing) {
    SweepHarness h;
    h.ctx.settingsFolder = h.folder() + QStringLiteral("/missing/folder");
    QsySweep& s = h.sweep();
    s.TargetName->setText(QStringLiteral("CW Skimmer"));
    QPointer<QsySweep> p = &s;
    s.Command1_Click();
    EXPECT_FALSE(h.windows.isLoaded(QsySweep::Name));
    ASSERT_FALSE(p.isNull());
    EXPECT_TRUE(p->TxtStatus->text().startsWith("Could not save"))
        << p->TxtStatus->text().toStdString();
    EXPECT_TRUE(h.messages().empty());
}

TEST(SweepWindow, QuitStopsTheSweepAndFreesTheChannel) {
    SweepHarness h;
    QsySweep& s = h.sweep();
    h.state.ChannelBusy = true;
    QPointer<QsySweep> p = &s;
    s.Command1_Click();
    EXPECT_FALSE(h.state.ChannelBusy);
    EXPECT_FALSE(h.windows.isLoaded(QsySweep::Name));
    EXPECT_TRUE(QFile::exists(QDir(h.folder()).filePath("QsySweep.txt")));
}

TEST(SweepWindow, FileClosesTheWindowWithoutTouchingTheChannel) {
    SweepHarness h;
    h.state.ChannelBusy = true;
    h.sweep().FX->trigger();
    EXPECT_TRUE(h.state.ChannelBusy);
    EXPECT_FALSE(h.windows.isLoaded(QsySweep::Name));
    EXPECT_TRUE(QFile::exists(QDir(h.folder()).filePath("QsySweep.txt")));
}

TEST(SweepWindow, HintsComeWithTheMouse) {
    SweepHarness h;
    QsySweep& s = h.sweep();
    const std::pair<QWidget*, const char*> hints[] = {
        {s.StartFreq[0], "Enter the start frequency"},
        {s.EndFreq[7], "Enter the end frequency"},
        {s.IncH[3], "Enter the K Hertz to move for the next cycle"},
        {s.DurSec[1],
         "If you enter * after the number the timer will reset to 0 when a spot is found"},
        {s.StartTime[4], "This field can be blank or set the start time as HH:MM"},
        {s.EndTime[5], "This field can be blank or set the end time as HH:MM"},
        {s.IncCheck[6], "If this checkbox is not checked the system will ignore this line"},
        {s.TargetName, "Enter the first few characters of the windows title"},
        {s.PrefixStr, "Enter the prefix key strokes to be sent. See help for valid characters"},
        {s.SufixStr, "Enter the sufix key strokes to be sent. See help for valid characters"},
        {s.ReturnApp,
         "Enter the window title of the app the will have focus after the operation. Can be "
         "blank"},
        {s.Check1, "This checkbox is not used if telneting to CW Skimmer"},
        {s.ViaTelnet, "Check this box if you want to send commands to CW Skimmer via telnet."},
        {s.Text1, "Enter the command to send and then touch the 'Sending:' key"},
        {s.TxtStatus, "Watch here for messages"},
        {s.IpAddr, "If this is a client enter the IP address of the Keyrelay server"},
        {s.Port,
         "The port number should be the same for the client and server. Don't forget to open "
         "this port on your router"},
        {s.ImAServer, "Only check this box on the server."},
    };
    for (const auto& [control, text] : hints) {
        EXPECT_TRUE(control->toolTip().isEmpty()) << text;
        hover(control);
        EXPECT_EQ(control->toolTip(), QString::fromLatin1(text));
    }
    // Only the line under the mouse has its hint.
    EXPECT_TRUE(s.StartFreq[1]->toolTip().isEmpty());
}

TEST(SweepWindow, TheCycleBandsHintComesWithTheFirstClick) {
    SweepHarness h;
    QsySweep& s = h.sweep();
    hover(s.CycleBands);
    EXPECT_TRUE(s.CycleBands->toolTip().isEmpty());
    s.CycleBands->click();
    EXPECT_EQ(s.CycleBands->toolTip(),
              "If checked the program will jump from line to line after each cycle");
    s.CycleBands->click();
    EXPECT_FALSE(s.CycleBands->toolTip().isEmpty());
}

TEST(SweepWindow, LeavingAnEndTimeChecksItAgainstTheStartTime) {
    struct Case {
        const char* start;
        const char* end;
        bool refused;
    };
    const Case cases[] = {
        {"10:00", "09:59", true}, {"10:00", "10:00", false}, {"", "01:00", false},
        {"10:00", "", false},     {"9:30", "09:15", false},  // 9:30 reads as 9:00
        {"09:30", "09:15", true}, {"23:00", "01:00", true},
    };
    for (const Case& c : cases) {
        SweepHarness h;
        QsySweep& s = h.sweep();
        s.StartTime[3]->setText(QString::fromLatin1(c.start));
        s.EndTime[3]->setText(QString::fromLatin1(c.end));
        leave(s.EndTime[3]);
        if (c.refused) {
            EXPECT_EQ(h.messages(), (Strings{"End time should be greater than the start time."}))
                << c.start << "-" << c.end;
            EXPECT_TRUE(s.EndTime[3]->text().isEmpty());
        } else {
            EXPECT_TRUE(h.messages().empty()) << c.start << "-" << c.end;
            EXPECT_EQ(s.EndTime[3]->text(), QString::fromLatin1(c.end));
        }
    }
}

TEST(SweepWindow, LeavingAStartTimeChecksNothing) {
    SweepHarness h;
    QsySweep& s = h.sweep();
    s.StartTime[0]->setText(QStringLiteral("12:00"));
    s.EndTime[0]->setText(QStringLiteral("11:00"));
    leave(s.StartTime[0]);
    EXPECT_TRUE(h.messages().empty());
}

TEST(SweepWindow, AboutShowsTheProgramAndItsAddress) {
    SweepHarness h;
    h.sweep().ABT->trigger();
    ASSERT_EQ(h.messages().size(), 1u);
    const std::string& m = h.messages()[0];
    EXPECT_EQ(m.rfind("Keyrelay ", 0), 0u) << m;
    EXPECT_NE(m.find("\nhttps://"), std::string::npos) << m;
    EXPECT_EQ(std::count(m.begin(), m.end(), '\n'), 1);
}

TEST(SweepWindow, HelpOpensTheHelpWithItsIntroductionFirst) {
    SweepHarness h;
    h.sweep().HLP->trigger();
    HelpFrm* help = h.windows.ifLoaded<HelpFrm>();
    ASSERT_NE(help, nullptr);
    EXPECT_FALSE(help->isHidden());
    EXPECT_EQ(help->windowTitle(), "Help");
    const QString text = help->Text1->toPlainText();
    EXPECT_TRUE(text.startsWith(HelpFrm::introduction()));
    EXPECT_TRUE(text.endsWith(HelpFrm::storedText()));
    EXPECT_TRUE(help->Text1->isReadOnly());
    for (const char* part : {"%CT", "{ENTER}", "{F16}", "{LEFT 42}", "22:00 to 02:00", "N1MM"}) {
        EXPECT_TRUE(text.contains(QString::fromLatin1(part))) << part;
    }
    help->Command1->click();
    EXPECT_EQ(h.windows.ifLoaded<HelpFrm>(), nullptr);
}

TEST(SweepWindow, SendingTypesTheCommandWithPrefixAndSuffix) {
    SweepHarness h;
    h.pad();
    h.fake.windows.addWindow("CW Skimmer");
    QsySweep& s = h.sweep();
    s.TargetName->setText(QStringLiteral("CW Skimmer"));
    s.SufixStr->setText(QStringLiteral("{ENTER}"));
    s.Text1->setText(QStringLiteral("3525"));
    h.state.ChannelBusy = true;  // a manual send does not ask for the channel
    s.Sending->click();
    // An empty prefix types nothing but still waits half a second.
    EXPECT_EQ(h.typed(), (Strings{"", "3525", "{ENTER}"}));
    EXPECT_EQ(h.typedAt(), (std::vector<std::int64_t>{0, 500, 1500}));
    EXPECT_TRUE(s.Shape1->isHidden());
    EXPECT_EQ(s.FreqOffset, (std::array<double, 8>{}));
}

TEST(SweepWindow, ASendingFailureGoesToTheStatusField) {
    SweepHarness h;
    h.pad();
    QsySweep& s = h.sweep();
    s.TargetName->setText(QStringLiteral("Nothing like it"));
    s.Sending->click();
    EXPECT_FALSE(s.TxtStatus->text().isEmpty());
    EXPECT_TRUE(h.messages().empty());
    EXPECT_TRUE(h.typed().empty());
}

TEST(SweepWindow, SendingInTelnetModeWithoutAConnectionDoesNothing) {
    SweepHarness h;
    h.pad();
    h.fake.windows.addWindow("CW Skimmer");
    QsySweep& s = h.sweep();
    s.TargetName->setText(QStringLiteral("CW Skimmer"));
    s.ViaTelnet->setChecked(true);
    s.ImAServer->setChecked(true);
    s.Sending->click();
    EXPECT_TRUE(h.typed().empty());
    EXPECT_TRUE(h.messages().empty());
    EXPECT_TRUE(s.TxtStatus->text().isEmpty());
}

// --- Layouts -----------------------------------------------------------------------------

TEST(SweepWindow, OpensInTheFullLayout) {
    SweepHarness h;
    QsySweep& s = h.sweep();
    EXPECT_EQ(s.layoutHeight(), QsySweep::FullHeight);
    EXPECT_EQ(s.width(), px(QsySweep::DesignWidth));
    for (QWidget* w : std::initializer_list<QWidget*>{s.Command1, s.Command2, s.Shape1, s.Command3,
                                                      s.Text1, s.Sending}) {
        EXPECT_EQ(w->y(), px(6480));
    }
    for (QWidget* w : std::initializer_list<QWidget*>{s.Port, s.Shape2, s.Shape3}) {
        EXPECT_EQ(w->y(), px(705));
    }
    EXPECT_EQ(s.Label12->y(), px(780));
    EXPECT_EQ(s.Label14->y(), px(750));
    EXPECT_EQ(s.Label15->y(), px(750));
    // Text2 lies beyond the design width.
    EXPECT_EQ(s.Text2->x(), px(10905));
    EXPECT_EQ(s.Text2->width(), px(2025));
    EXPECT_GT(s.Text2->x(), s.width());
}

TEST(SweepWindow, CompressPutsTheRunningControlsOnOneRow) {
    SweepHarness h;
    QsySweep& s = h.sweep();
    s.Compress();
    EXPECT_EQ(s.layoutHeight(), QsySweep::CompactHeight);
    for (QWidget* w :
         std::initializer_list<QWidget*>{s.Command1, s.Command2, s.Shape1, s.Command3, s.Text1,
                                         s.Sending, s.Port, s.Shape2, s.Shape3}) {
        EXPECT_EQ(w->y(), px(100));
    }
    EXPECT_EQ(s.Label12->y(), px(150));
    EXPECT_EQ(s.Label14->y(), px(145));
    EXPECT_EQ(s.Label15->y(), px(145));
    for (QWidget* w : std::initializer_list<QWidget*>{s.Label1, s.TargetName, s.Label11, s.IpAddr,
                                                      s.ImAServer}) {
        EXPECT_TRUE(w->isHidden());
    }
    // The row's controls do not overlap one another.
    std::vector<QRect> row;
    for (QWidget* w :
         std::initializer_list<QWidget*>{s.Command1, s.Command2, s.Shape1, s.Command3, s.Sending,
                                         s.Text1, s.Label12, s.Port, s.Shape2, s.Shape3}) {
        for (const QRect& r : row) {
            EXPECT_FALSE(r.intersects(w->geometry())) << w->metaObject()->className();
        }
        row.push_back(w->geometry());
        EXPECT_LE(w->geometry().right(), px(QsySweep::DesignWidth));
    }
    // The table is out of view below the window's reduced height.
    const QPoint tableTop = s.StartFreq[0]->mapTo(&s, QPoint(0, 0));
    EXPECT_GT(tableTop.y(), s.height());
    const QPoint linkRow = s.SkimmerPort->mapTo(&s, QPoint(0, 0));
    EXPECT_GT(linkRow.y(), s.height());
    const QPoint button = s.Command1->mapTo(&s, QPoint(0, s.Command1->height()));
    EXPECT_LE(button.y(), s.height());
}

TEST(SweepWindow, CollapseTwiceRestoresTheLayoutAndTheContents) {
    SweepHarness h;
    QsySweep& s = h.sweep();
    s.TargetName->setText(QStringLiteral("CW Skimmer"));
    s.Label14->show();
    std::vector<QRect> before;
    const auto children = s.findChildren<QWidget*>();
    for (QWidget* w : children) {
        before.push_back(w->geometry());
    }
    const SweepSettings contents = s.settings();

    s.COLx->trigger();
    EXPECT_EQ(s.COLx->text(), "Expand");
    EXPECT_TRUE(s.TargetName->isHidden());
    s.COLx->trigger();
    EXPECT_EQ(s.COLx->text(), "Collapse");
    EXPECT_EQ(s.layoutHeight(), QsySweep::FullHeight);
    for (qsizetype i = 0; i < children.size(); ++i) {
        EXPECT_EQ(children[i]->geometry(), before[static_cast<std::size_t>(i)])
            << children[i]->metaObject()->className();
    }
    EXPECT_FALSE(s.TargetName->isHidden());
    EXPECT_FALSE(s.IpAddr->isHidden());
    EXPECT_FALSE(s.ImAServer->isHidden());
    EXPECT_FALSE(s.Label14->isHidden());
    EXPECT_EQ(s.settings(), contents);
}

TEST(SweepWindow, StartCollapsesTheWindow) {
    SweepHarness h;
    h.pad();
    h.fake.windows.addWindow("CW Skimmer");
    QsySweep& s = h.sweep();
    s.TargetName->setText(QStringLiteral("CW Skimmer"));
    s.Command2_Click();
    EXPECT_EQ(s.COLx->text(), "Expand");
    EXPECT_EQ(s.layoutHeight(), QsySweep::CompactHeight);
    EXPECT_FALSE(s.Shape1->isHidden());
}

}  // namespace
}  // namespace keyrelay
