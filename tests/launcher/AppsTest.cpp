// The launcher window on the fake desktop (LaunchSequenceTest covers the launch itself).
#include "launcher/Apps.h"

#include <gtest/gtest.h>

#include <QApplication>
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

// The window shows the list file and launches its rows; "Close" during a wait ends the
// launch like Cancel and writes the list back, but the window is deleted only once the
// launch has returned; a Start during the launch starts no second one.
TEST(Apps, ShowsTheListLaunchesItsRowsAndCloseEndsTheLaunch) {
    test::TestProgram p;
    LaunchList list;
    list.rows[1] = {"/opt/a/prog1", "5", "-q", false, true};
    list.rows[2] = {"/opt/a/prog2", "5", "", true, true};
    list.clickOffset = 60;
    ASSERT_TRUE(LaunchListFile::save(LaunchListFile::pathIn(p.folder.path()), list));
    Apps& apps = p.windows.get<Apps>();
    EXPECT_EQ(apps.currentList(), list);
    EXPECT_EQ(p.state.ClickOffset, 60);
    QFile::remove(LaunchListFile::pathIn(p.folder.path()));
    apps.show();
    QPointer<Apps> watched(&apps);
    Clock::TimerId closer = p.fake.clock.startTimer(2000, [&] {
        p.fake.clock.stopTimer(closer);
        apps.Command1->click();  // Close
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_FALSE(watched.isNull());
    });
    p.fake.processes.setOnStart([&](const FakeProcesses::Start&) { apps.Command2->click(); });
    apps.Command2->click();                                                  // Start
    EXPECT_TRUE(!apps.Shape1[1]->isHidden() && apps.Shape1[2]->isHidden());  // row 1 reached
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(watched.isNull());
    ASSERT_EQ(p.fake.processes.starts().size(), 1u);
    EXPECT_EQ(p.fake.processes.starts()[0].parameters, "-q");
    EXPECT_TRUE(p.state.AppsStarted);
    LaunchList saved;
    ASSERT_TRUE(LaunchListFile::load(LaunchListFile::pathIn(p.folder.path()), saved));
    EXPECT_EQ(saved, list);
    EXPECT_TRUE(p.fake.dialogs.questions().empty());  // "Close After Apps Start" off
}

// Leaving a path field reports a missing file and moves the decoder note; the buttons.
TEST(Apps, LeavingAPathFieldReportsAMissingFileAndMovesTheDecoderNote) {
    test::TestProgram p;
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
    apps.Text1[3]->setText(p.path("prog.exe").replace('/', '\\'));  // found, written with "\"
    apps.Text1_LostFocus(3);
    apps.Text1[3]->setText(p.folder.path());  // a folder is no program
    apps.Text1_LostFocus(3);
    EXPECT_EQ(p.fake.dialogs.messages().size(), 2u);
    // A decoder path moves the note under its row, whether or not the file exists.
    apps.Text1[4]->setText(QStringLiteral("/nowhere/CwSkimmer/cwskimmer.exe"));  // missing
    apps.Text1_LostFocus(4);
    EXPECT_EQ(apps.Label13->y(), apps.Text2[4]->y());

    apps.Command3->click();  // Cancel, for a launch
    EXPECT_TRUE(p.state.LaunchCancel);
    p.fake.dialogs.clear();
    apps.Command4->click();  // Help
    EXPECT_NE(p.fake.dialogs.messages().at(0).find("StartApps.txt"), std::string::npos);
}

}  // namespace
}  // namespace keyrelay
