// The launch on a real X display, started by the real program: the programs started are
// copies of the recording test window (tests/support/X11TestWindow.cpp), which log what
// they see.
#include <gtest/gtest.h>

#include <QCoreApplication>
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
    const auto log = [&](const QString& name, const QString& key) {  // the values of one key
        const QRegularExpression line(QLatin1Char('^') + key + QLatin1Char(' '));
        QStringList all = LineFile::read(dir.filePath(name + ".log")).value_or(QStringList());
        return all.filter(line).replaceInStrings(line, QString());
    };
    const qint64 pid = QCoreApplication::applicationPid();  // names no other run uses
    const QString skim = QStringLiteral("skim%1").arg(pid), run = QStringLiteral("run%1").arg(pid);
    for (const QString& copy : {"CwSkimmer/" + skim, "tools/" + run}) {
        ASSERT_TRUE(QFile::copy(QStringLiteral(LAUNCH_STANDIN), dir.filePath(copy)));
    }

    ASSERT_TRUE(QDir::setCurrent(dir.path()));  // the program's working and settings folder
    Application program(createNativeServices());
    AppContext& ctx = program.context();
    ctx.platform.processes.start(dir.filePath("tools/").toStdString(), run.toStdString(), "first",
                                 WindowState::Normal);
    ASSERT_TRUE(
        ctx.platform.clock.waitFor([&] { return ctx.delivery.IsProcessRunning(run); }, 10000));

    LaunchList list;
    list.rows[0] = {dir.filePath("tools/" + run), "", "second", true, true};
    list.rows[1] = {dir.filePath("CwSkimmer/" + skim), "3", "--ini \"two words\"", true, true};
    ASSERT_TRUE(LaunchListFile::save(LaunchListFile::pathIn(dir.path()), list));
    Apps& apps = ctx.windows.get<Apps>();
    apps.show();
    apps.StartEm();

    EXPECT_TRUE(ctx.platform.clock.waitFor([&] { return log(skim, "click").size() >= 2; }, 10000));
    EXPECT_EQ(log(skim, "cwd"), QStringList{dir.filePath("CwSkimmer")});
    EXPECT_EQ(log(skim, "arg"), (QStringList{"--ini", "two words"}));
    const ScreenRect frame = ctx.platform.windows.windowRect(
        ctx.delivery.FindWindowByTitle("CW Skimmer " + skim).value());
    // Each click as the stand-in saw it on the screen: the focus click, the minimise click.
    EXPECT_EQ(log(skim, "click").replaceInStrings(QRegularExpression("^\\S+ \\S+ "), ""),
              (QStringList{QStringLiteral("%1 %2").arg(frame.left + 25).arg(frame.top + 70),
                           QStringLiteral("%1 %2").arg(frame.right - 95).arg(frame.top + 10)}));
    EXPECT_EQ(log(run, "arg"), QStringList{"first"});  // running already: not started
}

}  // namespace
}  // namespace keyrelay
