// The launcher window over the fake desktop: its list file, its closing, the path check,
// and the launch run through the window (LaunchSequenceTest covers the sequence itself).
#include "launcher/Apps.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
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

void fill(Apps& apps, int index, const LaunchRow& row) {
    apps.Text1[index]->setText(row.path);
    apps.Text2[index]->setText(row.wait);
    apps.Param[index]->setText(row.param);
    apps.Check1[index]->setChecked(row.minimize);
    apps.Check4[index]->setChecked(row.include);
}

TEST(Apps, ShowsTheListFileAndWritesTheFieldsBackOnClose) {
    TestProgram p;
    EXPECT_EQ(p.windows.get<Apps>().currentList().rows, LaunchList{}.rows);
    EXPECT_EQ(p.state.ClickOffset, 95);  // no file: the default offset
    p.windows.get<Apps>().close();

    LaunchList list;
    list.rows[1] = {"/opt/b/prog", "7.5", "-q", true, true};
    list.rows[4] = {"C:\\x\\y.exe", "1", "", false, true};
    list.clickOffset = 60;
    ASSERT_TRUE(LaunchListFile::write(p.folder.path(), list));
    Apps& apps = p.windows.get<Apps>();
    EXPECT_EQ(apps.currentList(), list);
    EXPECT_EQ(p.state.ClickOffset, 60);

    list.rows[2] = {"/opt/c/prog", "3", "--fast", true, false};
    fill(apps, 2, list.rows[2]);
    apps.Command1->click();  // Close
    EXPECT_TRUE(p.state.AppsStarted);
    EXPECT_FALSE(p.windows.isLoaded(Apps::Name));
    EXPECT_EQ(LaunchListFile::read(p.folder.path()), list);
    EXPECT_TRUE(p.fake.dialogs.questions().empty());  // "Close After Apps Start" off
}

TEST(Apps, ClosingAsksWhetherToEndTheProgramWhenTheOptionIsChecked) {
    for (const bool yes : {false, true}) {
        TestProgram p;
        p.pad().CAS->setChecked(true);
        p.fake.dialogs.queueYesNo(yes);
        p.windows.get<Apps>().close();
        EXPECT_EQ(p.fake.dialogs.questions().size(), 1u);
        EXPECT_EQ(p.endRequests, yes ? 1 : 0);
        EXPECT_TRUE(LaunchListFile::read(p.folder.path()));  // written before the question
    }
}

TEST(Apps, TheLaunchMarksItsRowsClosesTheWindowAndAppliesTheAutoStarts) {
    TestProgram p;
    p.pad().RCAS->setChecked(true);
    p.pad().FCAS->setChecked(true);
    p.pad().AppTitle->setText(QStringLiteral("Target"));  // what the pad sends to
    p.fake.windows.addWindow("Target");
    Apps& apps = p.windows.get<Apps>();
    fill(apps, 1, {"/opt/a/one", "5", "-v", false, true});
    fill(apps, 3, {"/opt/a/two", "5", "", false, false});
    apps.show();
    std::vector<std::pair<bool, bool>> applied;
    QObject::connect(&apps, &Apps::autoStartsApplied, [&](bool keypad, bool bandscan) {
        EXPECT_FALSE(p.windows.isLoaded(Apps::Name));  // closed before the auto-starts
        applied.emplace_back(keypad, bandscan);
    });
    std::vector<bool> marked;
    QObject::connect(&apps, &ProgramWindow::unloaded, [&] {
        for (Indicator* marker : apps.Shape1) {
            marked.push_back(!marker->isHidden());
        }
    });
    p.fake.processes.setOnStart([&](const FakeProcesses::Start&) { apps.StartEm(); });
    apps.Command2->click();  // Start; a second Start during the launch does nothing

    ASSERT_EQ(p.fake.processes.starts().size(), 1u);
    EXPECT_EQ(p.fake.processes.starts()[0].parameters, "-v");
    EXPECT_EQ(marked, (std::vector<bool>{false, true, false, false, false, false}));
    EXPECT_EQ(applied, (std::vector<std::pair<bool, bool>>{{true, true}}));
    EXPECT_FALSE(p.pad().Shape1->isHidden());  // the pad runs
    ASSERT_NE(p.windows.ifLoaded<QsySweep>(), nullptr);
    EXPECT_TRUE(p.windows.ifLoaded<QsySweep>()->isVisible());
    EXPECT_TRUE(LaunchListFile::read(p.folder.path()));
}

TEST(Apps, ClosingOrEndingDuringAWaitEndsTheLaunchWithoutDeletingTheWindowUnderIt) {
    for (const bool endProgram : {false, true}) {
        SCOPED_TRACE(endProgram);
        TestProgram p;
        p.pad().RCAS->setChecked(true);
        p.pad().CAS->setChecked(true);
        p.fake.dialogs.queueYesNo(endProgram);
        Apps& apps = p.windows.get<Apps>();
        fill(apps, 0, {"/opt/a/one", "5", "", false, true});
        fill(apps, 1, {"/opt/a/two", "5", "", false, true});
        apps.show();
        QPointer<Apps> watched(&apps);
        bool aliveAfterClose = false;
        Clock::TimerId closer = p.fake.clock.startTimer(2000, [&] {
            p.fake.clock.stopTimer(closer);
            apps.close();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            aliveAfterClose = !watched.isNull();
        });
        int applied = 0;
        QObject::connect(&apps, &Apps::autoStartsApplied, [&] { ++applied; });
        apps.StartEm();
        EXPECT_TRUE(aliveAfterClose);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(watched.isNull());  // deleted once the launch has ended
        EXPECT_EQ(p.fake.processes.starts().size(), 1u);
        EXPECT_EQ(p.fake.clock.elapsedMs(), 2000);
        EXPECT_EQ(applied, endProgram ? 0 : 1);
    }
}

TEST(Apps, LeavingAPathFieldReportsAMissingFileAndMovesTheDecoderNote) {
    TestProgram p;
    p.writeLines(QStringLiteral("prog.exe"), {});
    const QString backslashed = QString(p.folder.path()).replace('/', '\\');
    const std::pair<QString, bool> cases[] = {
        {QString(), false},
        {p.path(QStringLiteral("prog.exe")), false},
        {backslashed + QStringLiteral("\\prog.exe"), false},
        {p.path(QStringLiteral("missing.exe")), true},
        {p.folder.path(), true},  // a folder is not a program
    };
    Apps& apps = p.windows.get<Apps>();
    // Moving the focus inside the window is what triggers the check, which takes it back.
    apps.show();
    apps.activateWindow();
    QApplication::setActiveWindow(&apps);
    apps.Text1[2]->setFocus(Qt::TabFocusReason);
    apps.Text1[2]->setText(QStringLiteral("/no/such/folder/prog"));
    apps.Param[2]->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(p.fake.dialogs.messages().size(), 1u);
    EXPECT_TRUE(apps.Text1[2]->hasFocus());
    apps.hide();

    for (const auto& [path, reported] : cases) {
        SCOPED_TRACE(path.toStdString());
        p.fake.dialogs.clear();
        apps.Text1[3]->setText(path);
        apps.Text1_LostFocus(3);
        EXPECT_EQ(p.fake.dialogs.messages().size(), reported ? 1u : 0u);
        EXPECT_EQ(apps.Text1[3]->text(), path);  // kept as typed
    }
    EXPECT_EQ(p.fake.dialogs.messages(),
              std::vector<std::string>{(p.folder.path() + " not found.").toStdString()});

    // A decoder path moves the note under its row, whether or not the file exists.
    apps.Text1[4]->setText(QStringLiteral("/nowhere/CwSkimmer/cwskimmer.exe"));
    apps.Text1_LostFocus(4);
    EXPECT_EQ(apps.Label13->y(), apps.Text2[4]->y());
}

TEST(Apps, CancelAsksTheLaunchToStopAndHelpExplainsTheOffset) {
    TestProgram p;
    p.windows.get<Apps>().Command3->click();
    EXPECT_TRUE(p.state.LaunchCancel);
    p.windows.get<Apps>().Command4->click();
    ASSERT_EQ(p.fake.dialogs.messages().size(), 1u);
    EXPECT_NE(p.fake.dialogs.messages()[0].find("StartApps.txt"), std::string::npos);
}

}  // namespace
}  // namespace keyrelay
