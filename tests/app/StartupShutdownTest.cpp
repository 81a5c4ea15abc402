#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>

#include "cmdpad/CommandSetFile.h"
#include "core/SettingsWriter.h"
#include "support/TestProgram.h"

namespace keyrelay {
namespace {

using test::TestProgram;

void saveSet(TestProgram& p, const char* file, const char* title, bool autoStartApps = false) {
    CommandSet set;
    set.AppTitle = QString::fromLatin1(title);
    set.ASA = autoStartApps;
    set.HandShake = true;
    CommandSetFile::save(p.path(QString::fromLatin1(file)), set);
}

TEST(Startup, TheArgumentNamesTheSetupFileAsGiven) {
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"", "CmdPadF.ini", "default set"},
        {"NR1", "NR1", "second radio"},  // no ".INI" added: NR1.INI is another file
        {"CmdPadF.ini", "CmdPadF.ini", "default set"},
    };
    for (const auto& [argument, file, title] : cases) {
        TestProgram p;
        saveSet(p, "CmdPadF.ini", "default set");
        saveSet(p, "NR1", "second radio");
        saveSet(p, "NR1.INI", "wrong file");
        p.placeMarker();  // left by an earlier run: a handshaking program removes it
        p.pad().openWith(QString::fromLatin1(argument));
        EXPECT_EQ(p.pad().FlName->text(), file);
        EXPECT_EQ(p.pad().AppTitle->text(), title);
        EXPECT_TRUE(p.pad().AppTitle->isHidden());  // opens collapsed
        EXPECT_FALSE(p.markerExists());
    }
}

TEST(Startup, TheLaunchRunsOnceAtTheFirstActivationWithAutoStartApps) {
    TestProgram p;
    saveSet(p, "CmdPadF.ini", "x", true);
    p.pad().openWith(QString());
    EXPECT_FALSE(p.windows.isLoaded(Apps::Name));
    int launches = 0;
    p.fake.processes.setOnStart([&](const FakeProcesses::Start&) { ++launches; });
    p.writeLines(QStringLiteral("StartApps.txt"),
                 {"/opt/a/one", "0", "", "", "", "", "", "", "", "", "", "", " 1 "});
    for (int i = 0; i < 3; ++i) {
        TestProgram::activate(p.pad());
    }
    EXPECT_EQ(launches, 1);
    EXPECT_TRUE(p.state.AppsStarted);
}

TEST(Shutdown, ClosingUnloadsEveryWindowSavesTheSetupAndEndsOnce) {
    enum class How { Quit, CloseBox, FailedSave, LauncherEnds };
    for (const How how : {How::Quit, How::CloseBox, How::FailedSave, How::LauncherEnds}) {
        SCOPED_TRACE(static_cast<int>(how));
        TestProgram p;
        CmdPadF& pad = p.pad();
        if (how == How::FailedSave) {  // a folder where the file belongs
            ASSERT_TRUE(QDir(p.folder.path()).mkdir(u"CmdPadF.ini"_qs));
        }
        pad.openWith(QString());
        p.fake.clock.advance(1000);  // the tick has loaded the sweep window
        p.windows.get<TerminalF>();
        pad.CAS->setChecked(true);
        p.windows.get<Apps>();
        p.fake.dialogs.queueYesNo(how == How::LauncherEnds);  // "Do you want to close the program"
        if (how == How::Quit) {
            pad.Command1->click();
        } else {
            pad.close();
        }
        p.fake.clock.advance(5000);  // no tick reloads a window afterwards
        // "Yes" in the launcher's closing work ends the program at once: the windows after
        // it keep their files and the setup file is not written.
        const bool cut = how == How::LauncherEnds;
        EXPECT_EQ(p.endRequests, 1);
        EXPECT_EQ(p.windows.isLoaded(TerminalF::Name), cut);
        EXPECT_EQ(p.windows.isLoaded(QsySweep::Name), cut);
        EXPECT_EQ(QFileInfo(p.path("CmdPadF.ini")).isFile(), !cut && how != How::FailedSave);
        // A setup file that cannot be written is told, naming it and why; the program still
        // ends, with a status that says settings were lost.
        const std::vector<std::string>& told = p.fake.dialogs.messages();
        EXPECT_EQ(told.size(), how == How::FailedSave ? 1u : 0u);
        if (how == How::FailedSave && !told.empty()) {
            EXPECT_EQ(told[0], SettingsWriter::failureText(p.path("CmdPadF.ini"),
                                                           u"Filename refers to a directory"_qs)
                                   .toStdString());
        }
        EXPECT_EQ(p.state.SettingsNotSaved, how == How::FailedSave);
    }
}

}  // namespace
}  // namespace keyrelay
