// The launch on a real X display, started by the real program: the programs started are
// copies of the stand-in (LaunchStandin.cpp), which record what they see in log files.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "app/Application.h"
#include "core/LineFile.h"
#include "launcher/Apps.h"
#include "launcher/LaunchListFile.h"

namespace keyrelay {
namespace {

TEST(AppsDesktop, StartsInTheFolderWithParametersClicksTheDecoderAndSkipsARunningProgram) {
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkpath("CwSkimmer") && QDir(dir.path()).mkpath("tools"));
    qputenv("KEYRELAY_STANDIN_DIR", dir.path().toLocal8Bit());
    qputenv("KEYRELAY_STANDIN_LIFE", "20");        // they end by themselves
    qputenv("KEYRELAY_STANDIN_UNDECORATED", "1");  // the minimise click lands on the window
    const auto log = [&](const char* name, const QString& key) {  // the values of one key
        const QRegularExpression line(QLatin1Char('^') + key + QLatin1Char(' '));
        QStringList lines =
            LineFile::read(dir.filePath("%1.log").arg(name)).value_or(QStringList());
        return lines.filter(line).replaceInStrings(line, QString());
    };
    for (const char* copy : {"CwSkimmer/skimstand", "tools/runstand"}) {
        ASSERT_TRUE(QFile::copy(QStringLiteral(LAUNCH_STANDIN), dir.filePath(copy)));
    }

    ASSERT_TRUE(QDir::setCurrent(dir.path()));  // the program's working and settings folder
    Application program(createNativeServices());
    AppContext& ctx = program.context();
    ctx.platform.processes.start(dir.filePath("tools/").toStdString(), "runstand", "first",
                                 WindowState::Normal);
    ASSERT_TRUE(ctx.platform.clock.waitFor(
        [&] { return ctx.delivery.IsProcessRunning("RunStand"); }, 10000));

    LaunchList list;
    list.rows[0] = {dir.filePath("tools/runstand"), "", "second", true, true};
    list.rows[1] = {dir.filePath("CwSkimmer/skimstand"), "3", "--ini \"two words\"", true, true};
    ASSERT_TRUE(LaunchListFile::write(dir.path(), list));
    Apps& apps = ctx.windows.get<Apps>();
    apps.show();
    apps.StartEm();

    EXPECT_TRUE(
        ctx.platform.clock.waitFor([&] { return log("skimstand", "click").size() >= 2; }, 10000));
    EXPECT_EQ(log("skimstand", "cwd"), QStringList{dir.filePath("CwSkimmer")});
    EXPECT_EQ(log("skimstand", "arg"), (QStringList{"--ini", "two words"}));
    const auto window = ctx.delivery.FindWindowByTitle(QStringLiteral("CW Skimmer skimstand"));
    ASSERT_TRUE(window);
    const ScreenRect frame = ctx.platform.windows.windowRect(*window);
    // Each click as the stand-in saw it on the screen: the focus click, the minimise click.
    EXPECT_EQ(log("skimstand", "click").replaceInStrings(QRegularExpression("^\\S+ \\S+ "), ""),
              (QStringList{QStringLiteral("%1 %2").arg(frame.left + 25).arg(frame.top + 70),
                           QStringLiteral("%1 %2").arg(frame.right - 95).arg(frame.top + 10)}));
    EXPECT_EQ(log("runstand", "arg"), QStringList{"first"});  // running already: not started
}

}  // namespace
}  // namespace keyrelay
