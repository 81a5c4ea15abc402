// The launcher window over the fake desktop: its list file, its closing, the path check,
// and the launch run through the window (LaunchSequenceTest covers the sequence itself).
#include "launcher/Apps.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

#include "launcher/LaunchListFile.h"
#include "support/TestProgram.h"
#include "ui/Indicator.h"

namespace keyrelay {
namespace {

using test::TestProgram;

TEST(Apps, ShowsTheListFileAndCloseWritesItBack) {
    TestProgram p;
    LaunchList list;
    list.rows[1] = {"/opt/b/prog", "7.5", "-q", true, true};
    list.rows[2] = {"/opt/c/prog", "3", "--fast", false, true};
    list.clickOffset = 60;
    ASSERT_TRUE(LaunchListFile::write(p.folder.path(), list));
    Apps& apps = p.windows.get<Apps>();
    EXPECT_EQ(apps.currentList(), list);
    EXPECT_EQ(p.state.ClickOffset, 60);
    QFile::remove(LaunchListFile::pathIn(p.folder.path()));
    apps.Command1->click();  // Close
    EXPECT_TRUE(p.state.AppsStarted);
    EXPECT_EQ(LaunchListFile::read(p.folder.path()), list);
    EXPECT_TRUE(p.fake.dialogs.questions().empty());  // "Close After Apps Start" off
    apps.Command3->click();                           // Cancel, for a launch
    EXPECT_TRUE(p.state.LaunchCancel);
    apps.Command4->click();  // Help
    ASSERT_EQ(p.fake.dialogs.messages().size(), 1u);
    EXPECT_NE(p.fake.dialogs.messages()[0].find("StartApps.txt"), std::string::npos);
}

// The launch runs over the window's rows; closing the window during a wait ends it like
// Cancel without deleting the window under it; a Start during the launch starts no other.
TEST(Apps, ClosingTheWindowDuringALaunchEndsIt) {
    TestProgram p;
    Apps& apps = p.windows.get<Apps>();
    for (int row : {1, 2}) {
        apps.Text1[row]->setText(QStringLiteral("/opt/a/prog%1").arg(row));
        apps.Text2[row]->setText(QStringLiteral("5"));
        apps.Check4[row]->setChecked(true);
    }
    apps.show();
    QPointer<Apps> watched(&apps);
    Clock::TimerId closer = p.fake.clock.startTimer(2000, [&] {
        p.fake.clock.stopTimer(closer);
        apps.close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_FALSE(watched.isNull());
    });
    p.fake.processes.setOnStart([&](const FakeProcesses::Start&) { apps.Command2->click(); });
    apps.Command2->click();                                                  // Start
    EXPECT_TRUE(!apps.Shape1[1]->isHidden() && apps.Shape1[2]->isHidden());  // reached row 1 only
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(watched.isNull());  // deleted once the launch has ended
    ASSERT_EQ(p.fake.processes.starts().size(), 1u);
    EXPECT_EQ(p.fake.processes.starts()[0].file, "prog1");
}

TEST(Apps, LeavingAPathFieldReportsAMissingFileAndMovesTheDecoderNote) {
    TestProgram p;
    Apps& apps = p.windows.get<Apps>();
    // Moving the focus inside the window is what triggers the check, which takes it back.
    apps.show();
    apps.activateWindow();
    QApplication::setActiveWindow(&apps);
    apps.Text1[2]->setFocus(Qt::TabFocusReason);
    apps.Text1[2]->setText(QStringLiteral("/no/such/folder/prog"));
    apps.Param[2]->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(p.fake.dialogs.messages(),
              std::vector<std::string>{"/no/such/folder/prog not found."});
    EXPECT_TRUE(apps.Text1[2]->hasFocus());
    apps.hide();

    p.writeLines(QStringLiteral("prog.exe"), {});
    const QString backslashed = QString(p.folder.path()).replace('/', '\\');
    for (const auto& [path, reported] : {std::pair{backslashed + "\\prog.exe", false},
                                         {p.folder.path(), true}}) {  // a folder: no program
        p.fake.dialogs.clear();
        apps.Text1[3]->setText(path);
        apps.Text1_LostFocus(3);
        EXPECT_EQ(p.fake.dialogs.messages().size(), reported ? 1u : 0u) << path.toStdString();
    }
    // A decoder path moves the note under its row, whether or not the file exists.
    apps.Text1[4]->setText(QStringLiteral("/nowhere/CwSkimmer/cwskimmer.exe"));  // missing
    apps.Text1_LostFocus(4);
    EXPECT_EQ(apps.Label13->y(), apps.Text2[4]->y());
}

}  // namespace
}  // namespace keyrelay
