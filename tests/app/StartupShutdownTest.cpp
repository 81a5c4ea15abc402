#include <gtest/gtest.h>
#include <QAction>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <cstdio>
#include <cstdlib>

#include "cmdpad/CommandSetFile.h"
#include "support/TestProgram.h"

namespace keyrelay {
namespace {

CommandSet setWith(const char* title) {
    CommandSet set;
    set.AppTitle = QString::fromLatin1(title);
    set.CMND[0] = QStringLiteral("go");
    return set;
}

TEST(Startup, NoArgumentReadsCmdPadFIni) {
    test::TestProgram p;
    CommandSetFile::save(p.path("CmdPadF.ini"), setWith("default set"));
    CmdPadF& pad = p.pad();
    pad.openWith(QString());
    EXPECT_EQ(pad.FlName->text(), QStringLiteral("CmdPadF.ini"));
    EXPECT_EQ(pad.AppTitle->text(), QStringLiteral("default set"));
}

TEST(Startup, ArgumentIsTheFileNameAsGiven) {
    test::TestProgram p;
    CommandSetFile::save(p.path("NR1"), setWith("second radio"));
    CommandSetFile::save(p.path("NR1.INI"), setWith("wrong file"));
    CmdPadF& pad = p.pad();
    pad.openWith(QStringLiteral("NR1"));
    EXPECT_EQ(pad.FlName->text(), QStringLiteral("NR1"));
    EXPECT_EQ(pad.AppTitle->text(), QStringLiteral("second radio"));

    pad.AppTitle->setText(QStringLiteral("changed"));
    pad.close();
    CommandSet saved;
    ASSERT_TRUE(CommandSetFile::load(p.path("NR1"), saved));
    EXPECT_EQ(saved.AppTitle, QStringLiteral("changed"));
    CommandSet other;
    ASSERT_TRUE(CommandSetFile::load(p.path("NR1.INI"), other));
    EXPECT_EQ(other.AppTitle, QStringLiteral("wrong file"));
}

TEST(Startup, OpensCollapsedWithTheOptionsOfTheFile) {
    test::TestProgram p;
    CommandSet set = setWith("x");
    set.RCAS = set.HandShake = set.CAS = true;
    CommandSetFile::save(p.path("CmdPadF.ini"), set);
    CmdPadF& pad = p.pad();
    pad.openWith(QString());
    EXPECT_EQ(pad.EXp->text(), QStringLiteral("Expand"));
    EXPECT_TRUE(pad.AppTitle->isHidden());
    EXPECT_TRUE(pad.FlName->isHidden());
    EXPECT_TRUE(pad.RCAS->isChecked());
    EXPECT_FALSE(pad.FCAS->isChecked());
    EXPECT_TRUE(pad.HandShake->isChecked());
    EXPECT_FALSE(pad.ASA->isChecked());
    EXPECT_TRUE(pad.CAS->isChecked());
}

TEST(Startup, MissingOrUnreadableSetupKeepsTheDefaults) {
    test::TestProgram p;
    QDir(p.folder.path()).mkdir(QStringLiteral("CmdPadF.ini"));  // a folder, not a file
    CmdPadF& pad = p.pad();
    EXPECT_NO_THROW(pad.openWith(QString()));
    EXPECT_EQ(pad.AppTitle->text(), QString());
    EXPECT_TRUE(p.fake.dialogs.messages().empty());
}

TEST(Startup, LeftoverMarkerIsDeletedBeforeAnythingIsSent) {
    for (const bool handshake : {true, false}) {
        SCOPED_TRACE(handshake ? "handshake" : "no handshake");
        test::TestProgram p;
        p.fake.windows.addWindow("Target");
        CommandSet set = setWith("Target");
        set.HandShake = handshake;
        set.RepSec[0] = QStringLiteral("5");
        CommandSetFile::save(p.path("CmdPadF.ini"), set);
        p.placeMarker();
        CmdPadF& pad = p.pad();
        pad.openWith(QString());
        // Only a program that shares the marker cleans it up.
        EXPECT_EQ(p.markerExists(), !handshake);
        pad.StartIt();
        EXPECT_EQ(p.fake.standardKeys.keys(), std::vector<std::string>{"go"});
    }
}

TEST(Startup, LaunchRunsAtTheFirstActivationWithAutoStartAppsOnly) {
    test::TestProgram p;
    CommandSet set = setWith("x");
    set.ASA = true;
    CommandSetFile::save(p.path("CmdPadF.ini"), set);
    CmdPadF& pad = p.pad();
    pad.openWith(QString());
    EXPECT_FALSE(p.windows.isLoaded(Apps::Name));

    test::TestProgram::activate(pad);
    EXPECT_TRUE(p.state.AppsStarted);
    // The launch of an empty list ends at once: the launcher has closed, writing its list.
    EXPECT_FALSE(p.windows.isLoaded(Apps::Name));
    ASSERT_TRUE(QFile::remove(p.path("StartApps.txt")));

    // Switching back to the pad again and again does not relaunch.
    for (int i = 0; i < 5; ++i) {
        test::TestProgram::activate(pad);
    }
    EXPECT_FALSE(p.windows.isLoaded(Apps::Name));
    EXPECT_FALSE(QFile::exists(p.path("StartApps.txt")));
}

TEST(Startup, AutoStartAppsCheckedDuringTheRunLaunchesAtTheNextActivation) {
    test::TestProgram p;
    CmdPadF& pad = p.pad();
    pad.openWith(QString());
    test::TestProgram::activate(pad);
    EXPECT_FALSE(p.windows.isLoaded(Apps::Name));
    EXPECT_FALSE(p.state.AppsStarted);

    pad.ASA->trigger();
    test::TestProgram::activate(pad);
    EXPECT_TRUE(p.state.AppsStarted);
    EXPECT_TRUE(QFile::exists(p.path("StartApps.txt")));  // the launcher ran and closed

    // AppsStarted set otherwise (the launcher's Close): no launch.
    test::TestProgram q;
    q.state.AppsStarted = true;
    q.pad().ASA->setChecked(true);
    test::TestProgram::activate(q.pad());
    EXPECT_FALSE(q.windows.isLoaded(Apps::Name));
    EXPECT_FALSE(QFile::exists(q.path("StartApps.txt")));
}

TEST(Shutdown, UnloadsTheWindowsInOrderThenSavesThenEnds) {
    test::TestProgram p;
    CmdPadF& pad = p.pad();
    pad.openWith(QString());
    pad.AppTitle->setText(QStringLiteral("saved at the end"));

    std::vector<std::string> order;
    auto watch = [&](ProgramWindow& w) {
        QObject::connect(&w, &ProgramWindow::unloaded,
                         [&order, &p, name = std::string(w.windowName())] {
                             // The setup file is written after every other window has closed.
                             EXPECT_FALSE(QFile::exists(p.path("CmdPadF.ini"))) << name;
                             order.push_back(name);
                         });
    };
    // Loaded in another order than they close.
    watch(p.windows.get<QsySweep>());
    watch(p.windows.get<TerminalF>());
    watch(p.windows.get<Apps>());
    watch(p.windows.get<Dirx>());
    watch(p.windows.get<HlpF>());

    pad.EX->trigger();
    EXPECT_EQ(order, (std::vector<std::string>{"HlpF", "Dirx", "Apps", "TerminalF", "QsySweep"}));
    EXPECT_EQ(p.endRequests, 1);
    CommandSet saved;
    ASSERT_TRUE(CommandSetFile::load(p.path("CmdPadF.ini"), saved));
    EXPECT_EQ(saved.AppTitle, QStringLiteral("saved at the end"));
    for (const char* name : {"HlpF", "Dirx", "Apps", "TerminalF", "QsySweep", "CmdPadF"}) {
        EXPECT_FALSE(p.windows.isLoaded(name)) << name;
    }
}

TEST(Shutdown, NoTickReloadsAWindowDuringShutdown) {
    test::TestProgram p;
    CmdPadF& pad = p.pad();
    pad.openWith(QString());
    p.fake.clock.advance(1000);
    ASSERT_TRUE(p.windows.isLoaded(QsySweep::Name));
    pad.close();
    p.fake.clock.advance(5000);
    EXPECT_FALSE(p.windows.isLoaded(QsySweep::Name));
}

TEST(Shutdown, QuitAndTheCloseBoxEndTheProgramOnce) {
    for (const bool quit : {true, false}) {
        test::TestProgram p;
        CmdPadF& pad = p.pad();
        pad.openWith(QString());
        if (quit) {
            pad.Command1->click();
        } else {
            pad.close();
        }
        EXPECT_EQ(p.endRequests, 1);
        EXPECT_TRUE(QFile::exists(p.path("CmdPadF.ini")));
    }
}

TEST(Shutdown, FailedSaveStillEnds) {
    test::TestProgram p;
    CmdPadF& pad = p.pad();
    pad.openWith(QStringLiteral("no/such/folder/set.ini"));
    pad.close();
    EXPECT_EQ(p.endRequests, 1);
    EXPECT_TRUE(p.fake.dialogs.messages().empty());
}

TEST(Shutdown, EmptyFileNameStillEnds) {
    test::TestProgram p;
    CmdPadF& pad = p.pad();
    pad.openWith(QString());
    pad.FlName->clear();
    pad.close();
    EXPECT_EQ(p.endRequests, 1);
    EXPECT_TRUE(QDir(p.folder.path()).entryList(QDir::Files).isEmpty());
}

// "Close After Apps Start" answered Yes while the launcher unloads ends the program at
// once: the pad's setup file is not written. The launcher asks its question in its own
// closing work; here the end is requested at the same point.
TEST(ShutdownDeathTest, EndDuringTheLauncherUnloadSkipsTheRest) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            test::TestProgram p;
            CmdPadF& pad = p.pad();
            pad.openWith(QString());
            p.windows.get<TerminalF>();
            p.windows.get<QsySweep>();
            p.onEnd = [&p] {
                std::fprintf(stderr, "%s, terminal %s\n",
                             QFile::exists(p.path("CmdPadF.ini")) ? "saved" : "not saved",
                             p.windows.isLoaded(TerminalF::Name) ? "open" : "closed");
                p.folder.remove();
                std::_Exit(0);
            };
            QObject::connect(&p.windows.get<Apps>(), &ProgramWindow::unloaded,
                             [&p] { p.ctx.endProgram(); });
            pad.close();
            std::fprintf(stderr, "the end request returned\n");
            std::_Exit(3);
        },
        ::testing::ExitedWithCode(0), "not saved, terminal open");
}

}  // namespace
}  // namespace keyrelay
