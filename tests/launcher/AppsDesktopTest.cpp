// The launch on a real X display: real program starts, the real window list and window
// rectangles, XTest clicks, the real clock. The programs started are copies of the
// stand-in (LaunchStandin.cpp), which record what they see in log files.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "app/Application.h"
#include "core/LineFile.h"
#include "launcher/Apps.h"

namespace keyrelay {
namespace {

TEST(AppsDesktop, StartsInTheFolderWithParametersClicksTheDecoderAndSkipsARunningProgram) {
    QTemporaryDir dir;
    for (const char* sub : {"settings", "logs", "CwSkimmer", "tools"}) {
        ASSERT_TRUE(QDir(dir.path()).mkpath(QString::fromLatin1(sub)));
    }
    qputenv("KEYRELAY_STANDIN_DIR", dir.filePath("logs").toLocal8Bit());
    qputenv("KEYRELAY_STANDIN_LIFE", "20");        // they end by themselves
    qputenv("KEYRELAY_STANDIN_UNDECORATED", "1");  // the minimise click lands on the window
    const auto log = [&](const char* name, const QString& key) {  // the values of one key
        const QRegularExpression line(QLatin1Char('^') + key + QLatin1Char(' '));
        QStringList lines =
            LineFile::read(dir.filePath("logs/%1.log").arg(name)).value_or(QStringList());
        return lines.filter(line).replaceInStrings(line, QString());
    };
    for (const char* copy : {"CwSkimmer/skimstand", "tools/runstand"}) {
        ASSERT_TRUE(QFile::copy(QStringLiteral(LAUNCH_STANDIN), dir.filePath(copy)));
    }

    // The program as it runs, its settings in the working folder.
    ASSERT_TRUE(QDir::setCurrent(dir.filePath("settings")));
    Application program(createNativeServices());
    AppContext& ctx = program.context();
    ctx.platform.processes.start(dir.filePath("tools/").toStdString(), "runstand", "first",
                                 WindowState::Normal);
    ASSERT_TRUE(ctx.platform.clock.waitFor(
        [&] { return ctx.delivery.IsProcessRunning("RunStand"); }, 10000));

    Apps& apps = ctx.windows.get<Apps>();
    apps.Text1[0]->setText(dir.filePath("tools/runstand"));
    apps.Text1[1]->setText(dir.filePath("CwSkimmer/skimstand"));
    apps.Text2[1]->setText(QStringLiteral("3"));
    apps.Param[0]->setText(QStringLiteral("second"));
    apps.Param[1]->setText(QStringLiteral("--ini \"two words\""));
    for (QCheckBox* box : {apps.Check1[0], apps.Check1[1], apps.Check4[0], apps.Check4[1]}) {
        box->setChecked(true);
    }
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
