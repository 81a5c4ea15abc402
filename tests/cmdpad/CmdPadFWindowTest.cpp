#include <gtest/gtest.h>
#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>

#include "ui/Indicator.h"
#include "ui/Twips.h"
#include "cmdpad/CommandSetFile.h"
#include "support/TestProgram.h"

namespace keyrelay {
namespace {

class CmdPadFWindowTest : public ::testing::Test {
protected:
    CmdPadFWindowTest() : pad(p.pad()) {}

    void fill() {
        pad.AppTitle->setText(QStringLiteral("CW Skimmer"));
        pad.AppDesc->setText(QStringLiteral("desc"));
        for (int i = 0; i < CommandSet::Commands; ++i) {
            pad.CMND[i]->setText(QStringLiteral("cmd%1").arg(i));
            pad.RepSec[i]->setText(QStringLiteral("%1").arg(i));
        }
    }

    void leaveFileName(Qt::FocusReason reason = Qt::TabFocusReason) {
        QFocusEvent out(QEvent::FocusOut, reason);
        QCoreApplication::sendEvent(pad.FlName, &out);
    }

    // Every field and label that the collapsed layout hides.
    std::vector<QWidget*> fieldsAndLabels() const {
        std::vector<QWidget*> all{pad.FlName, pad.AppTitle, pad.AppDesc, pad.Label1, pad.Label2};
        for (int i = 0; i <= 12; ++i) {
            all.push_back(pad.CMND[i]);
            all.push_back(pad.RepSec[i]);
            all.push_back(pad.Label3[i]);
            all.push_back(pad.Label4[i]);
        }
        all.push_back(pad.Label3[13]);
        all.push_back(pad.Label3[14]);
        all.push_back(pad.Label4[13]);
        return all;
    }

    test::TestProgram p;
    CmdPadF& pad;
};

TEST_F(CmdPadFWindowTest, CaptionsAndLabelsAreThoseOfThePad) {
    EXPECT_EQ(pad.windowTitle(), QStringLiteral("Keyrelay"));
    const std::pair<QLabel*, const char*> labels[] = {
        {pad.Label1, "App Title:"},
        {pad.Label2, "Repeat Sec:"},
        {pad.Label3[0], "Command 1"},
        {pad.Label3[2], "Command 2"},
        {pad.Label3[13], "Command 13"},
        {pad.Label3[14], "Description:"},
        {pad.Label4[0], "Secs"},
        {pad.Label4[10], "Secs"},
        {pad.Label4[13], "Commands File Name"},
    };
    for (const auto& [label, text] : labels) {
        EXPECT_EQ(label->text(), QString::fromLatin1(text));
    }
    const std::pair<QPushButton*, const char*> buttons[] = {{pad.Command1, "Quit"},
                                                            {pad.Command2, "Start"},
                                                            {pad.Command3, "Stop"},
                                                            {pad.Command4, "Hold"}};
    for (const auto& [button, text] : buttons) {
        EXPECT_EQ(button->text(), QString::fromLatin1(text));
    }
    EXPECT_EQ(pad.Alternate->text(),
              QStringLiteral("Check this box if you get errors or the commands don't work"));
    EXPECT_EQ(pad.FlName->text(), QStringLiteral("CmdPadF.ini"));
    EXPECT_EQ(pad.Text1->text(), QStringLiteral("0/0"));
    EXPECT_TRUE(pad.Shape1->isHidden());
    EXPECT_TRUE(pad.Shape2->isHidden());
    EXPECT_TRUE(pad.Command5->isHidden());
    for (int i = 13; i <= 15; ++i) {
        EXPECT_TRUE(pad.RepSec[i]->isHidden());
    }
}

TEST_F(CmdPadFWindowTest, EachCommandLabelStandsLeftOfItsField) {
    for (int i = 0; i < CommandSet::Commands; ++i) {
        QLabel* label = pad.Label3[i == 0 ? 0 : i + 1];
        EXPECT_EQ(label->text(), QStringLiteral("Command %1").arg(i + 1));
        EXPECT_EQ(label->geometry().center().y(), pad.CMND[i]->geometry().center().y()) << i;
        EXPECT_LT(label->geometry().right(), pad.CMND[i]->geometry().left()) << i;
    }
    for (int i = 1; i <= 12; ++i) {
        QLabel* label = pad.Label4[i - 1];
        EXPECT_EQ(label->geometry().center().y(), pad.RepSec[i]->geometry().center().y()) << i;
    }
}

TEST_F(CmdPadFWindowTest, MenuHoldsItsItemsInOrder) {
    std::vector<QString> file;
    for (QAction* a : pad.FF->actions()) {
        file.push_back(a->text());
    }
    const std::vector<QString> expected = {"Load",
                                           "Save",
                                           "Load",
                                           "Exit",
                                           "Keypad Auto Start",
                                           "Bandscan Auto Start",
                                           "Handshake With LDK",
                                           "Auto Start Apps",
                                           "Close After Apps Start"};
    EXPECT_EQ(file, expected);
    EXPECT_EQ(pad.FF->title(), QStringLiteral("File"));
    EXPECT_EQ(pad.EXp->text(), QStringLiteral("Collapse"));
    EXPECT_EQ(pad.FRC->text(), QStringLiteral("Bandscanner"));
    EXPECT_EQ(pad.ESA->text(), QStringLiteral("Edit Start Apps"));
    EXPECT_EQ(pad.Hlp->text(), QStringLiteral("Help"));
}

TEST_F(CmdPadFWindowTest, OptionItemsFlipTheirCheckMark) {
    for (QAction* option : {pad.RCAS, pad.FCAS, pad.HandShake, pad.ASA, pad.CAS}) {
        SCOPED_TRACE(option->text().toStdString());
        EXPECT_FALSE(option->isChecked());
        option->trigger();
        EXPECT_TRUE(option->isChecked());
        option->trigger();
        EXPECT_FALSE(option->isChecked());
    }
}

TEST_F(CmdPadFWindowTest, MenuOpensTheOtherWindows) {
    pad.FRC->trigger();
    EXPECT_TRUE(p.windows.isLoaded(QsySweep::Name));
    EXPECT_FALSE(p.windows.get<QsySweep>().isHidden());
    pad.ESA->trigger();
    EXPECT_FALSE(p.windows.get<Apps>().isHidden());
    pad.Hlp->trigger();
    HlpF& help = p.windows.get<HlpF>();
    EXPECT_FALSE(help.isHidden());
    EXPECT_EQ(help.windowTitle(), QStringLiteral("Help"));
}

TEST_F(CmdPadFWindowTest, CollapseAndExpandKeepEveryField) {
    fill();
    pad.Alternate->setChecked(true);
    const CommandSet before = pad.commandSet();

    pad.EXp->trigger();  // "Collapse"
    EXPECT_EQ(pad.EXp->text(), QStringLiteral("Expand"));
    for (QWidget* w : fieldsAndLabels()) {
        EXPECT_TRUE(w->isHidden()) << w->metaObject()->className();
    }
    EXPECT_EQ(pad.size(), QSize(Twips::toPixels(5000 - 240), pad.height()));
    for (QWidget* w :
         std::initializer_list<QWidget*>{pad.Command1, pad.Command2, pad.Command3, pad.Command4,
                                         pad.Shape1, pad.Shape2, pad.Text1}) {
        EXPECT_EQ(w->y(), Twips::toPixels(30));
        // The row stays inside the small window.
        EXPECT_LE(w->mapTo(&pad, QPoint(w->width(), w->height())).x(), pad.width());
        EXPECT_LE(w->mapTo(&pad, QPoint(w->width(), w->height())).y(), pad.height());
    }
    const int collapsedHeight = pad.height();

    pad.EXp->trigger();  // "Expand"
    EXPECT_EQ(pad.EXp->text(), QStringLiteral("Collapse"));
    for (QWidget* w : fieldsAndLabels()) {
        EXPECT_FALSE(w->isHidden()) << w->metaObject()->className();
    }
    for (int i = 13; i <= 15; ++i) {
        EXPECT_TRUE(pad.RepSec[i]->isHidden());
    }
    EXPECT_EQ(pad.Command2->y(), Twips::toPixels(7320));
    EXPECT_EQ(pad.width(), Twips::toPixels(13620 - 240));
    EXPECT_GT(pad.height(), collapsedHeight);
    EXPECT_EQ(pad.commandSet(), before);
}

TEST_F(CmdPadFWindowTest, LayoutsKeepTheIndicatorsAsTheyAre) {
    pad.Shape2->show();
    pad.Compress();
    EXPECT_TRUE(pad.Shape1->isHidden());
    EXPECT_FALSE(pad.Shape2->isHidden());
    pad.Expand();
    EXPECT_FALSE(pad.Shape2->isHidden());
}

TEST_F(CmdPadFWindowTest, StartFromTheFullLayoutCollapses) {
    p.fake.windows.addWindow("CW Skimmer");
    pad.AppTitle->setText(QStringLiteral("CW Skimmer"));
    pad.RepSec[0]->setText(QStringLiteral("30"));
    pad.Expand();
    pad.Command2->click();
    EXPECT_EQ(pad.EXp->text(), QStringLiteral("Expand"));
    EXPECT_TRUE(pad.CMND[0]->isHidden());
    EXPECT_FALSE(pad.Shape1->isHidden());
}

TEST_F(CmdPadFWindowTest, ToolTipsExplainTheFields) {
    EXPECT_EQ(pad.AppTitle->toolTip(),
              QStringLiteral("Enter the first few characters of the title on the target window."));
    EXPECT_EQ(
        pad.FlName->toolTip(),
        QStringLiteral("This is the setup file. The name can be changed to store multiple setups"));
    for (int i = 0; i < CommandSet::Commands; ++i) {
        EXPECT_EQ(pad.CMND[i]->toolTip(),
                  QStringLiteral("Enter commands to be sent. See Help for valid characters."));
        EXPECT_EQ(pad.RepSec[i]->toolTip(),
                  QStringLiteral("Enter the time in seconds before repeating the operation."));
    }
}

TEST_F(CmdPadFWindowTest, LeavingTheFileNameBoxAddsIniToANameWithoutADot) {
    const std::pair<const char*, const char*> cases[] = {{"night", "night.INI"},
                                                         {"", ".INI"},
                                                         {"night.ini", "night.ini"},
                                                         {"a.b/night", "a.b/night"}};
    for (const auto& [typed, result] : cases) {
        pad.FlName->setText(QString::fromLatin1(typed));
        leaveFileName();
        EXPECT_EQ(pad.FlName->text(), QString::fromLatin1(result)) << typed;
    }
}

TEST_F(CmdPadFWindowTest, SwitchingToAnotherProgramOrTheMenuIsNotLeavingTheBox) {
    for (const Qt::FocusReason reason : {Qt::ActiveWindowFocusReason, Qt::PopupFocusReason}) {
        pad.FlName->setText(QStringLiteral("night"));
        leaveFileName(reason);
        EXPECT_EQ(pad.FlName->text(), QStringLiteral("night")) << reason;
    }
    for (const Qt::FocusReason reason :
         {Qt::MouseFocusReason, Qt::TabFocusReason, Qt::BacktabFocusReason, Qt::OtherFocusReason}) {
        pad.FlName->setText(QStringLiteral("night"));
        leaveFileName(reason);
        EXPECT_EQ(pad.FlName->text(), QStringLiteral("night.INI")) << reason;
    }
}

TEST_F(CmdPadFWindowTest, EmptyNameAfterTheRuleSavesToDotIni) {
    fill();
    pad.FlName->clear();
    leaveFileName();
    pad.SaveFile();
    EXPECT_TRUE(QFile::exists(p.path(".INI")));
}

TEST_F(CmdPadFWindowTest, SaveWithAnEmptyNameWritesNothing) {
    pad.FlName->clear();
    EXPECT_NO_THROW(pad.SaveFile());
    EXPECT_TRUE(QDir(p.folder.path()).entryList(QDir::Files).isEmpty());
}

TEST_F(CmdPadFWindowTest, SaveAndLoadGoThroughTheFields) {
    fill();
    pad.Alternate->setChecked(true);
    pad.RCAS->setChecked(true);
    pad.CAS->setChecked(true);
    const CommandSet saved = pad.commandSet();
    pad.SaveFile();
    pad.setCommandSet(CommandSet{});
    pad.LoadFile();
    EXPECT_EQ(pad.commandSet(), saved);
    EXPECT_TRUE(QFile::exists(p.path("CmdPadF.ini")));
}

TEST_F(CmdPadFWindowTest, OpenDialogLoadsTheChosenFile) {
    CommandSet set;
    set.AppTitle = QStringLiteral("chosen");
    CommandSetFile::save(p.path("other.ini"), set);
    p.fake.dialogs.queueOpenFile(p.path("other.ini").toStdString());

    pad.Load1->trigger();
    ASSERT_EQ(p.fake.dialogs.openRequests().size(), 1u);
    const FileDialogRequest& r = p.fake.dialogs.openRequests()[0];
    EXPECT_EQ(r.filter, "INI_Files (*.ini)|*.ini");
    EXPECT_EQ(r.fileName, "");
    EXPECT_EQ(r.initialFolder, p.folder.path().toStdString());
    EXPECT_EQ(pad.FlName->text(), p.path("other.ini"));
    EXPECT_EQ(pad.AppTitle->text(), QStringLiteral("chosen"));
    EXPECT_TRUE(p.fake.dialogs.messages().empty());
}

TEST_F(CmdPadFWindowTest, SaveDialogPresetsTheNameAndWritesTheChosenFile) {
    fill();
    pad.FlName->setText(QStringLiteral("mine.ini"));
    p.fake.dialogs.queueSaveFile(p.path("saved.ini").toStdString());

    pad.SC->trigger();
    ASSERT_EQ(p.fake.dialogs.saveRequests().size(), 1u);
    const FileDialogRequest& r = p.fake.dialogs.saveRequests()[0];
    EXPECT_EQ(r.filter, "INI_fILES (*.ini)|*.ini");
    EXPECT_EQ(r.fileName, "mine.ini");
    EXPECT_TRUE(r.overwritePrompt);
    EXPECT_EQ(pad.FlName->text(), p.path("saved.ini"));
    CommandSet loaded;
    ASSERT_TRUE(CommandSetFile::load(p.path("saved.ini"), loaded));
    EXPECT_EQ(loaded, pad.commandSet());
}

TEST_F(CmdPadFWindowTest, CancelInEitherDialogChangesNothing) {
    fill();
    const CommandSet before = pad.commandSet();
    pad.Load1->trigger();  // nothing queued: Cancel
    pad.SC->trigger();
    EXPECT_EQ(pad.FlName->text(), QStringLiteral("CmdPadF.ini"));
    EXPECT_EQ(pad.commandSet(), before);
    EXPECT_TRUE(p.fake.dialogs.messages().empty());
    EXPECT_TRUE(QDir(p.folder.path()).entryList(QDir::Files).isEmpty());
}

TEST_F(CmdPadFWindowTest, FailedSaveFromTheDialogIsReported) {
    p.fake.dialogs.queueSaveFile(p.path("missing/folder/x.ini").toStdString());
    pad.SC->trigger();
    ASSERT_EQ(p.fake.dialogs.messages().size(), 1u);
    EXPECT_EQ(p.fake.dialogs.messages()[0].rfind("Unexpected error. Err 75 : ", 0), 0u)
        << p.fake.dialogs.messages()[0];
    // What was done stays done.
    EXPECT_EQ(pad.FlName->text(), p.path("missing/folder/x.ini"));
}

TEST_F(CmdPadFWindowTest, UnreadableFileFromTheDialogIsReported) {
    if (geteuid() == 0) {
        GTEST_SKIP() << "root reads every file";
    }
    CommandSetFile::save(p.path("locked.ini"), CommandSet{});
    QFile::setPermissions(p.path("locked.ini"), QFileDevice::WriteOwner);
    p.fake.dialogs.queueOpenFile(p.path("locked.ini").toStdString());
    pad.Load1->trigger();
    ASSERT_EQ(p.fake.dialogs.messages().size(), 1u);
    EXPECT_EQ(p.fake.dialogs.messages()[0].rfind("Unexpected error. Err 75 : ", 0), 0u);
}

TEST_F(CmdPadFWindowTest, HiddenHelperPointsAtSkimmersMinimiseArea) {
    p.fake.windows.addWindow("Editor");
    p.fake.windows.addWindow("My CW Skimmer 2.1", ScreenRect{100, 50, 900, 650});
    pad.Command5_Click();
    EXPECT_EQ(p.fake.mouse.x(), 815);
    EXPECT_EQ(p.fake.mouse.y(), 60);

    // No such window: the pointer stays.
    test::TestProgram q;
    q.pad().Command5_Click();
    EXPECT_TRUE(q.fake.mouse.events().empty());
}

TEST_F(CmdPadFWindowTest, HelpDescribesTheWholeNotation) {
    const QString text = HlpF::helpText();
    for (const char* needle :
         {"CmdPadF.ini", "NR1",      "{BACKSPACE}",   "{BS}",       "{BKSP}",       "{BREAK}",
          "{CAPSLOCK}",  "{DELETE}", "{DEL}",         "{DOWN}",     "{END}",        "{ENTER}",
          "{ESC}",       "{HELP}",   "{HOME}",        "{INSERT}",   "{LEFT}",       "{NUMLOCK}",
          "{PGDN}",      "{PGUP}",   "{PRTSC}",       "{RIGHT}",    "{SCROLLLOCK}", "{TAB}",
          "{UP}",        "{F1}",     "{F16}",         "{LEFT 42}",  "{+}",          "{{}",
          "{}}",         "+(ec)",    "/opt/logdeck/", "Repeat Sec", "App Title"}) {
        EXPECT_TRUE(text.contains(QString::fromLatin1(needle))) << needle;
    }
}

}  // namespace
}  // namespace keyrelay
