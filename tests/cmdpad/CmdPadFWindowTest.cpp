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

#include "cmdpad/CommandSetFile.h"
#include "support/TestProgram.h"
#include "ui/Indicator.h"

namespace keyrelay {
namespace {

template <typename T>
int shownCount(QWidget& window) {
    const auto all = window.findChildren<T*>();
    return static_cast<int>(
        std::count_if(all.begin(), all.end(), [](T* w) { return !w->isHidden(); }));
}

// A pad on the fake desktop with its fields filled; its target window exists.
struct PadWindow {
    PadWindow() : pad(p.pad()) {
        p.fake.windows.addWindow("Target window");
        pad.AppTitle->setText(QStringLiteral("Target"));
        for (int i = 0; i < CommandSet::Commands; ++i) {
            pad.CMND[i]->setText(QStringLiteral("c%1").arg(i));
        }
        pad.RepSec[0]->setText(QStringLiteral("5"));
        pad.RCAS->setChecked(true);
        pad.Alternate->setChecked(true);
    }

    // Setup files for the chooser, each titled with its name; the chooser opened from the
    // menu.
    Dirx& chooser() {
        for (const char* name : {"alpha.ini", "Beta.INI", "notes.txt", "x.ini.bak"}) {
            CommandSet set;
            set.AppTitle = QString::fromLatin1(name);
            CommandSetFile::save(p.path(QString::fromLatin1(name)), set);
        }
        pad.Compress();
        pad.LD->trigger();  // expands, then opens the chooser
        return p.windows.get<Dirx>();
    }
    static QStringList listed(const Dirx& d) {
        QStringList out;
        for (int i = 0; i < d.File1->count(); ++i) {
            out << d.File1->item(i)->text();
        }
        return out;
    }

    void mouse(QEvent::Type type, QPointF at) {
        QMouseEvent e(type, at, pad.Command3->mapToGlobal(at), Qt::LeftButton,
                      type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                      Qt::NoModifier);
        QCoreApplication::sendEvent(pad.Command3, &e);
    }

    test::TestProgram p;
    CmdPadF& pad;
};

struct CmdPadFWindowTest : ::testing::Test, PadWindow {};

TEST_F(CmdPadFWindowTest, ButtonsAndTheTickDriveTheRounds) {
    pad.Command2->click();  // Start: the first round at once, on the alternate path
    EXPECT_EQ(p.fake.alternateKeys.sent().size(), 13u);
    EXPECT_TRUE(pad.CMND[0]->isHidden() && p.state.PadRunning);
    pad.Alternate->setChecked(false);  // read anew for every string
    p.fake.clock.advance(5500);
    EXPECT_EQ(p.fake.standardKeys.sent().size(), 13u);
    EXPECT_EQ(pad.Text1->text(), QStringLiteral("5/5"));
    EXPECT_TRUE(p.windows.isLoaded(QsySweep::Name));

    // Stop acts on a mouse release over the button only, not on the keyboard.
    QKeyEvent space(QEvent::KeyRelease, Qt::Key_Space, Qt::NoModifier);
    QCoreApplication::sendEvent(pad.Command3, &space);
    const QPointF inside(pad.Command3->width() / 2.0, pad.Command3->height() / 2.0);
    mouse(QEvent::MouseButtonPress, inside);
    mouse(QEvent::MouseButtonRelease, inside + QPointF(pad.Command3->width(), 0));
    EXPECT_TRUE(p.state.PadRunning);
    mouse(QEvent::MouseButtonPress, inside);
    mouse(QEvent::MouseButtonRelease, inside);
    EXPECT_FALSE(p.state.PadRunning);
    pad.Command4->click();  // Hold
    EXPECT_TRUE(p.state.HoldOn && p.state.ChannelBusy);
}

TEST_F(CmdPadFWindowTest, CollapseHidesTheFieldsAndKeepsTheRowInside) {
    const CommandSet before = pad.commandSet();
    pad.Shape2->show();
    pad.EXp->trigger();
    EXPECT_EQ(pad.EXp->text(), QStringLiteral("Expand"));
    EXPECT_EQ(shownCount<QLineEdit>(pad) + shownCount<QLabel>(pad), 1);  // the progress box
    for (QWidget* w : std::initializer_list<QWidget*>{pad.Command4, pad.Shape2, pad.Text1}) {
        const QPoint corner = w->mapTo(&pad, QPoint(w->width(), w->height()));
        EXPECT_TRUE(corner.x() <= pad.width() && corner.y() <= pad.height());
    }
    EXPECT_TRUE(!p.state.PadRunning && p.state.HoldOn);  // the dots stay as they are
    const int collapsedHeight = pad.height();
    pad.EXp->trigger();
    EXPECT_EQ(pad.EXp->text(), QStringLiteral("Collapse"));
    EXPECT_EQ(shownCount<QLineEdit>(pad), 30);  // 13 commands, 13 times, 3 boxes, progress
    EXPECT_EQ(shownCount<QLabel>(pad), 31);
    EXPECT_GT(pad.Command2->y(), collapsedHeight);
    EXPECT_EQ(pad.commandSet(), before);
}

TEST_F(CmdPadFWindowTest, LeavingTheFileNameBoxAddsIniButSwitchingAwayDoesNot) {
    const std::pair<Qt::FocusReason, const char*> cases[] = {{Qt::ActiveWindowFocusReason, "x"},
                                                             {Qt::PopupFocusReason, "x"},
                                                             {Qt::MouseFocusReason, "x.INI"},
                                                             {Qt::TabFocusReason, "x.INI"}};
    for (const auto& [reason, result] : cases) {
        pad.FlName->setText(QStringLiteral("x"));
        QFocusEvent out(QEvent::FocusOut, reason);
        QCoreApplication::sendEvent(pad.FlName, &out);
        EXPECT_EQ(pad.FlName->text(), QString::fromLatin1(result)) << reason;
    }
}

TEST_F(CmdPadFWindowTest, SetupFileRoundTripsThroughTheFieldsAndTheDialogs) {
    const CommandSet saved = pad.commandSet();
    pad.SaveFile();
    pad.setCommandSet(CommandSet{});
    pad.LoadFile();
    EXPECT_EQ(pad.commandSet(), saved);

    p.fake.dialogs.queueSaveFile(p.path("saved.ini").toStdString());
    pad.SC->trigger();
    const FileDialogRequest& s = p.fake.dialogs.saveRequests().at(0);
    EXPECT_EQ(s.filter, "INI_fILES (*.ini)|*.ini");
    EXPECT_TRUE(s.fileName == "CmdPadF.ini" && s.overwritePrompt);
    CommandSet loaded;
    ASSERT_TRUE(CommandSetFile::load(p.path("saved.ini"), loaded));
    EXPECT_EQ(loaded, saved);

    loaded.AppTitle = QStringLiteral("chosen");
    CommandSetFile::save(p.path("other.ini"), loaded);
    p.fake.dialogs.queueOpenFile(p.path("other.ini").toStdString());
    pad.Load1->trigger();
    const FileDialogRequest& o = p.fake.dialogs.openRequests().at(0);
    EXPECT_EQ(o.filter, "INI_Files (*.ini)|*.ini");
    EXPECT_EQ(o.initialFolder, p.folder.path().toStdString());
    EXPECT_EQ(pad.AppTitle->text(), QStringLiteral("chosen"));
    pad.Load1->trigger();  // Cancel
    EXPECT_EQ(pad.FlName->text(), p.path("other.ini"));

    p.fake.dialogs.queueSaveFile(p.path("missing/x.ini").toStdString());
    pad.SC->trigger();
    ASSERT_EQ(p.fake.dialogs.messages().size(), 1u);
    EXPECT_EQ(p.fake.dialogs.messages()[0].rfind("Unexpected error. Err 75 : ", 0), 0u);
    pad.FlName->clear();  // an empty name writes nothing
    pad.SaveFile();
    EXPECT_EQ(QDir(p.folder.path()).entryList(QDir::Files).size(), 3);
}

TEST_F(CmdPadFWindowTest, MenuAndHelperButtonReachTheOtherWindows) {
    pad.FRC->trigger();
    EXPECT_FALSE(p.windows.get<QsySweep>().isHidden());
    pad.ESA->trigger();
    EXPECT_FALSE(p.windows.get<Apps>().isHidden());
    pad.Hlp->trigger();
    EXPECT_TRUE(p.windows.get<HlpF>().Text1->toPlainText().contains("{BACKSPACE}"));
    p.windows.get<HlpF>().Command1->click();
    EXPECT_FALSE(p.windows.isLoaded(HlpF::Name));
    p.fake.windows.addWindow("My CW Skimmer 2.1", ScreenRect{100, 50, 900, 650});
    pad.Command5_Click();  // points at its minimise area
    EXPECT_EQ(std::make_pair(p.fake.mouse.x(), p.fake.mouse.y()), std::make_pair(815, 60));
}

TEST_F(CmdPadFWindowTest, ChooserListsTheFilesMatchingItsPatterns) {
    Dirx& d = chooser();
    EXPECT_FALSE(pad.CMND[0]->isHidden());
    EXPECT_EQ(listed(d), (QStringList{"alpha.ini", "Beta.INI"}));  // letter case ignored
    d.Filetype->setText(QStringLiteral("*.txt;*.bak"));
    d.applyPattern();
    EXPECT_EQ(listed(d), (QStringList{"notes.txt", "x.ini.bak"}));
    test::TestProgram::activate(d);  // activation resets the pattern
    EXPECT_EQ(listed(d), (QStringList{"alpha.ini", "Beta.INI"}));
    QDir(p.folder.path()).mkdir(QStringLiteral("sets"));  // another folder keeps its path
    CommandSetFile::save(p.path("sets/night.ini"), CommandSet{});
    d.setFolder(p.path("sets"));
    d.File1->setCurrentRow(0);
    d.Go();
    EXPECT_EQ(QDir::cleanPath(pad.FlName->text()), p.path("sets/night.ini"));
    EXPECT_EQ(pad.AppTitle->text(), QString());
}

TEST(CmdPadFChooserTest, EachWayOutHandsThePadWhatItShould) {
    struct Case {
        const char* way;
        int row;  // -1: nothing selected
        const char* flName;
        const char* appTitle;  // "Target": not loaded
        const char* lastFile;  // empty: not written
        bool stays;
    };
    const Case cases[] = {{"Go", 1, "Beta.INI", "Beta.INI", "Beta.INI\r\n", false},
                          {"double click", 1, "Beta.INI", "Beta.INI", "Beta.INI\r\n", false},
                          {"Go", -1, "", "Target", "\r\n", false},
                          {"F2", 0, "alpha.ini", "Target", "", true},
                          {"Esc", 0, "CmdPadF.ini", "Target", "", false},
                          {"Close", 0, "CmdPadF.ini", "Target", "", false}};
    for (const Case& k : cases) {
        SCOPED_TRACE(k.way);
        PadWindow t;
        Dirx& d = t.chooser();
        d.File1->setCurrentRow(k.row);
        const std::string way = k.way;
        QKeyEvent key(QEvent::KeyPress, way == "F2" ? Qt::Key_F2 : Qt::Key_Escape, Qt::NoModifier);
        if (way == "Go") {
            d.Command2->click();
        } else if (way == "double click") {
            emit d.File1->itemDoubleClicked(d.File1->item(k.row));
        } else if (way == "Close") {
            d.Command1->click();
        } else {
            QCoreApplication::sendEvent(d.File1, &key);
        }
        EXPECT_EQ(t.pad.FlName->text(), QString::fromLatin1(k.flName));
        EXPECT_EQ(t.pad.AppTitle->text(), QString::fromLatin1(k.appTitle));
        QFile last(t.p.path(Dirx::LastFileName));
        EXPECT_EQ(last.open(QIODevice::ReadOnly) ? last.readAll() : "", k.lastFile);
        EXPECT_EQ(t.p.windows.isLoaded(Dirx::Name), k.stays);
    }
}

}  // namespace
}  // namespace keyrelay
