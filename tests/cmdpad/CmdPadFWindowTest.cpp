#include <gtest/gtest.h>
#include <QAction>
#include <QCheckBox>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <tuple>

#include "cmdpad/CommandSetFile.h"
#include "support/TestProgram.h"

namespace keyrelay {
namespace {

// A pad with its commands filled in, its target window, setup files titled with their names.
class CmdPadFWindowTest : public ::testing::Test {
protected:
    CmdPadFWindowTest() : pad(p.pad()) {
        p.fake.windows.addWindow("Target window");
        pad.AppTitle->setText(QStringLiteral("Target"));
        for (int i = 0; i < CommandSet::Commands; ++i) {
            pad.CMND[i]->setText(QStringLiteral("c%1").arg(i));
        }
        pad.RepSec[0]->setText(QStringLiteral("5"));
        pad.Alternate->setChecked(true);
        for (const char* name : {"alpha.ini", "Beta.INI", "notes.txt", "x.ini.bak"}) {
            CommandSet set;
            set.AppTitle = QString::fromLatin1(name);
            CommandSetFile::save(p.path(QString::fromLatin1(name)), set);
        }
    }
    Dirx& chooser() {
        if (!p.windows.isLoaded(Dirx::Name)) {
            pad.EXp->trigger();  // collapses
            pad.LD->trigger();   // expands, then opens the chooser
        }
        return p.windows.get<Dirx>();
    }
    QString listed() {
        QStringList out;
        for (int i = 0; i < chooser().File1->count(); ++i) {
            out << chooser().File1->item(i)->text();
        }
        return out.join(QLatin1Char(' '));
    }
    QByteArray lastFile() {
        QFile f(p.path(Dirx::LastFileName));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("none");
    }

    test::TestProgram p;
    CmdPadF& pad;
};

TEST_F(CmdPadFWindowTest, ButtonsAndTheTickDriveTheRounds) {
    pad.Command2->click();  // Start: the first round at once, on the alternate path
    EXPECT_EQ(p.fake.alternateKeys.sent().size(), 13u);
    EXPECT_TRUE(p.state.PadRunning && pad.CMND[0]->isHidden());
    EXPECT_TRUE(std::ranges::all_of(pad.findChildren<QLabel*>(), &QLabel::isHidden));
    pad.Alternate->setChecked(false);  // read anew for every string
    p.fake.clock.advance(5500);
    EXPECT_EQ(p.fake.standardKeys.sent().size(), 13u);
    EXPECT_EQ(pad.Text1->text(), QStringLiteral("5/5"));

    for (const QPointF at : {QPointF(-5, -5), QPointF(5, 5)}) {  // Stop: a release over it only
        QMouseEvent e(QEvent::MouseButtonRelease, at, pad.Command3->mapToGlobal(at), Qt::LeftButton,
                      Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(pad.Command3, &e);
        EXPECT_EQ(p.state.PadRunning, at.x() < 0);
    }
    pad.Command4->click();  // Hold takes the channel; idle for 30 s, it is given back
    EXPECT_TRUE(p.state.HoldOn && p.state.ChannelBusy);
    p.fake.clock.advance(30000);
    EXPECT_FALSE(p.state.HoldOn || p.state.ChannelBusy);
}

TEST_F(CmdPadFWindowTest, LeavingTheFileNameBoxAddsIniToANameWithoutADot) {
    const std::tuple<Qt::FocusReason, const char*, const char*> cases[] = {
        {Qt::TabFocusReason, "x", "x.INI"},
        {Qt::TabFocusReason, "", ".INI"},
        {Qt::TabFocusReason, "a.b/x", "a.b/x"},  // a dot in a folder name counts
        {Qt::PopupFocusReason, "x", "x"},        // switching away or to the menu is no leaving
        {Qt::ActiveWindowFocusReason, "x", "x"}};
    for (const auto& [reason, typed, result] : cases) {
        pad.FlName->setText(QString::fromLatin1(typed));
        QFocusEvent out(QEvent::FocusOut, reason);
        QCoreApplication::sendEvent(pad.FlName, &out);
        EXPECT_EQ(pad.FlName->text(), result) << typed;
    }
}

TEST_F(CmdPadFWindowTest, SetupFileRoundTripsThroughTheFieldsAndTheDialogs) {
    const CommandSet saved = pad.commandSet();
    p.fake.dialogs.queueSaveFile(p.path("saved.ini").toStdString());
    pad.SC->trigger();
    const FileDialogRequest& s = p.fake.dialogs.saveRequests().at(0);
    EXPECT_TRUE(s.filter == "INI_fILES (*.ini)|*.ini" && s.fileName == "CmdPadF.ini" &&
                s.overwritePrompt);
    p.fake.dialogs.queueOpenFile(p.path("Beta.INI").toStdString());
    pad.Load1->trigger();
    const FileDialogRequest& o = p.fake.dialogs.openRequests().at(0);
    EXPECT_TRUE(o.filter == "INI_Files (*.ini)|*.ini" &&
                o.initialFolder == p.folder.path().toStdString());
    EXPECT_EQ(pad.AppTitle->text(), QStringLiteral("Beta.INI"));
    pad.SC->trigger();  // Cancel in both: nothing changes
    pad.Load1->trigger();
    pad.FlName->setText(QStringLiteral("saved.ini"));
    pad.LoadFile();
    EXPECT_EQ(pad.commandSet(), saved);

    p.fake.dialogs.queueSaveFile(p.path("missing/x.ini").toStdString());
    pad.SC->trigger();
    EXPECT_EQ(p.fake.dialogs.messages().at(0).rfind("Unexpected error. Err 75 : ", 0), 0u);
    pad.FlName->clear();  // an empty name writes nothing
    pad.SaveFile();
    EXPECT_EQ(QDir(p.folder.path()).entryList(QDir::Files).size(), 5);

    // A 100 KB command comes back whole, up to the malformed key name at its end.
    CommandSet set = saved;
    set.CMND[12] = QString(100'000, u'x') + u"{NOSUCHKEY}"_qs;
    ASSERT_TRUE(CommandSetFile::save(p.path(u"long.ini"_qs), set));
    pad.FlName->setText(u"long.ini"_qs);
    pad.LoadFile();
    pad.SaveFile();
    CommandSet back;
    ASSERT_TRUE(CommandSetFile::load(p.path(u"long.ini"_qs), back));
    EXPECT_EQ(back.CMND[12], set.CMND[12]);
}

TEST_F(CmdPadFWindowTest, MenuAndHelperButtonReachTheOtherWindows) {
    pad.ESA->trigger(), pad.FRC->trigger();
    EXPECT_FALSE(p.windows.get<Apps>().isHidden() || p.windows.get<QsySweep>().isHidden());
    pad.Hlp->trigger();
    EXPECT_TRUE(p.windows.get<HlpF>().Text1->toPlainText().contains("{BACKSPACE}"));
    p.windows.get<HlpF>().Command1->click();
    EXPECT_FALSE(p.windows.isLoaded(HlpF::Name));
    p.fake.windows.addWindow("My CW Skimmer 2.1", ScreenRect{100, 50, 900, 650});
    pad.Command5_Click();  // points at its minimise area
    EXPECT_EQ(std::make_pair(p.fake.mouse.x(), p.fake.mouse.y()), std::make_pair(815, 60));
}

TEST_F(CmdPadFWindowTest, ChooserHandsThePadTheChosenFile) {
    EXPECT_EQ(listed(), "alpha.ini Beta.INI");  // letter case ignored
    EXPECT_FALSE(pad.CMND[0]->isHidden());
    chooser().Filetype->setText(QStringLiteral("*.txt;*.bak"));
    chooser().applyPattern();
    EXPECT_EQ(listed(), "notes.txt x.ini.bak");
    test::TestProgram::activate(chooser());  // activation resets the pattern
    EXPECT_EQ(listed(), "alpha.ini Beta.INI");

    // F2 takes the name only; Esc and Close leave; Go and a double click load the set.
    QKeyEvent f2(QEvent::KeyPress, Qt::Key_F2, Qt::NoModifier);
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    chooser().File1->setCurrentRow(0);
    QCoreApplication::sendEvent(chooser().File1, &f2);
    EXPECT_TRUE(pad.FlName->text() == "alpha.ini" && pad.AppTitle->text() == "Target");
    QCoreApplication::sendEvent(chooser().File1, &esc);
    chooser().Command1->click();
    EXPECT_EQ(lastFile(), "none");
    chooser().File1->setCurrentRow(1);
    emit chooser().File1->itemDoubleClicked(chooser().File1->item(1));
    EXPECT_TRUE(pad.FlName->text() == "Beta.INI" && pad.AppTitle->text() == "Beta.INI");
    EXPECT_EQ(lastFile(), "Beta.INI\r\n");
    EXPECT_FALSE(p.windows.isLoaded(Dirx::Name));
    chooser().File1->setCurrentRow(-1);
    chooser().Command2->click();  // Go without a selection: an empty name, nothing loaded
    EXPECT_TRUE(pad.FlName->text().isEmpty() && pad.AppTitle->text() == "Beta.INI");
    EXPECT_EQ(lastFile(), "\r\n");
    QDir(p.folder.path()).mkdir(QStringLiteral("sets"));  // another folder keeps its path
    CommandSetFile::save(p.path("sets/night.ini"), CommandSet{});
    chooser().setFolder(p.path("sets"));
    chooser().File1->setCurrentRow(0);
    chooser().Go();
    EXPECT_EQ(QDir::cleanPath(pad.FlName->text()), p.path("sets/night.ini"));
}

}  // namespace
}  // namespace keyrelay
