#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <tuple>

#include "app/CommandLine.h"
#include "app/CompanionFolder.h"
#include "cmdpad/HlpF.h"
#include "core/HostSystem.h"
#include "sweep/HelpFrm.h"

namespace keyrelay {
namespace {

TEST(CommandLine, WholeArgumentTextNamesTheSetupFile) {
    EXPECT_EQ(CommandLine::argumentText({}), QString());
    EXPECT_EQ(CommandLine::argumentText({"NR1"}), QStringLiteral("NR1"));
    EXPECT_EQ(CommandLine::argumentText({"my", "set.ini"}), QStringLiteral("my set.ini"));
    EXPECT_EQ(CommandLine::argumentText({"two  blanks"}), QStringLiteral("two  blanks"));
    QStringList menu{"--menu-settings", "NR1"}, plain{"NR1", "--menu-settings"};
    EXPECT_TRUE(CommandLine::takeSettingsFolderSwitch(menu));
    EXPECT_FALSE(CommandLine::takeSettingsFolderSwitch(plain));
    EXPECT_EQ(menu, QStringList{"NR1"});
    qputenv("XDG_DATA_HOME", "/data");
    EXPECT_EQ(HostSystem::menuSettingsFolder(), QStringLiteral("/data/keyrelay"));
}

// Wine prefixes as Wine makes them (drive C: reached through dosdevices/c:), with LDK's
// folder in either Program Files folder and in the letter case an installer left.
TEST(CompanionFolder, InstalledProgramUsesLdkFolderInTheWinePrefix) {
    QTemporaryDir tmp;
    const QString root = QDir(tmp.path()).canonicalPath() + QLatin1Char('/');
    for (const char* folder :
         {"x86/drive_c/Program Files (x86)/logdeck", "both/drive_c/Program Files (x86)/LOGDECK",
          "both/drive_c/Program Files/logdeck", "lower/drive_c/program files/LogDeck",
          "none/drive_c/Program Files/Other", "file/drive_c/Program Files"}) {
        ASSERT_TRUE(QDir().mkpath(root + QLatin1String(folder)));
        const QString prefix = root + QString::fromLatin1(folder).section(QLatin1Char('/'), 0, 0);
        QDir().mkpath(prefix + QStringLiteral("/dosdevices"));
        QFile::link(QStringLiteral("../drive_c"), prefix + QStringLiteral("/dosdevices/c:"));
    }
    QFile(root + QStringLiteral("file/drive_c/Program Files/logdeck")).open(QIODevice::WriteOnly);
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"/usr/bin/keyrelay", "x86", "x86/drive_c/Program Files (x86)/logdeck/"},
        {"/opt/keyrelay/bin/../bin/keyrelay", "lower", "lower/drive_c/program files/LogDeck/"},
        {"/usr/bin/keyrelay", "both", "both/drive_c/Program Files (x86)/LOGDECK/"},
        {"/usr/bin/keyrelay", "none", "/opt/logdeck/"},
        {"/usr/bin/keyrelay", "file", "/opt/logdeck/"},
        {"/usr/bin/keyrelay", "missing", "/opt/logdeck/"},
        {"/home/op/keyrelay/build/bin/keyrelay", "x86", ""},
        {"/usr/local/bin/keyrelay", "x86", ""},
        {"/opt/keyrelay/bin/keyrelay2", "x86", ""},
        {"", "x86", ""},
    };
    for (const auto& [program, prefix, folder] : cases) {
        const QString expected = QString::fromLatin1(folder);
        EXPECT_EQ(CompanionFolder::forLinux(QString::fromLatin1(program),
                                            root + QString::fromLatin1(prefix)),
                  expected.isEmpty() || expected.startsWith(QLatin1Char('/')) ? expected
                                                                              : root + expected)
            << program << " " << prefix;
    }
    // The running program's prefix: $WINEPREFIX, else ~/.wine.
    qputenv("WINEPREFIX", (root + QStringLiteral("lower")).toLocal8Bit());
    EXPECT_EQ(CompanionFolder::forThisProgram(QStringLiteral("/usr/bin/keyrelay")),
              root + QStringLiteral("lower/drive_c/program files/LogDeck/"));
    qunsetenv("WINEPREFIX");
    const QByteArray home = qgetenv("HOME");
    QFile::link(root + QStringLiteral("x86"), root + QStringLiteral(".wine"));
    qputenv("HOME", root.toLocal8Bit());
    EXPECT_EQ(CompanionFolder::forThisProgram(QStringLiteral("/usr/bin/keyrelay")),
              root + QStringLiteral("x86/drive_c/Program Files (x86)/logdeck/"));
    qputenv("HOME", home);
}

TEST(CompanionFolder, WindowsFollowsWhereKeyrelayIsInstalled) {
    const QString x86 = QStringLiteral("c:\\program files (x86)\\keyrelay\\keyrelay.exe");
    const QString plain = QStringLiteral("c:\\program files\\keyrelay\\keyrelay.exe");
    const std::pair<QStringList, const char*> cases[] = {
        {{}, ""},
        {{plain}, "C:\\program files\\logdeck\\"},
        {{x86}, "C:\\program files (x86)\\logdeck\\"},
        {{plain, x86}, "C:\\program files (x86)\\logdeck\\"},
    };
    for (const auto& [installed, folder] : cases) {
        EXPECT_EQ(
            CompanionFolder::forWindows([&](const QString& f) { return installed.contains(f); }),
            QString::fromLatin1(folder));
    }
}

// The help texts name paths of the system they run on only, and the marker folder in use.
TEST(HelpTexts, PathsOfTheRunningSystem) {
    for (const bool windows : {false, true}) {
        const QString text =
            HlpF::helpText(windows, QStringLiteral("/x/logdeck/")) + HelpFrm::filesText(windows);
        EXPECT_TRUE(text.contains(windows ? "keyrelay.exe\" NR1" : "/usr/bin/keyrelay NR1"));
        EXPECT_FALSE(text.contains(windows ? "/usr/bin/" : "keyrelay.exe")) << windows;
        EXPECT_TRUE(text.contains("uses: /x/logdeck/"));
    }
}

}  // namespace
}  // namespace keyrelay
