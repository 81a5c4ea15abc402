// The launch of Windows programs under Wine by the real program on a real desktop: copies of
// tools/wintarget, titled by their second parameter, logging to the file their first names.
#include <gtest/gtest.h>
#include <signal.h>

#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTimer>
#include <filesystem>

#include "app/Application.h"
#include "launcher/Apps.h"
#include "launcher/LaunchListFile.h"

namespace keyrelay {
namespace {

TEST(AppsWine, StartsWindowsProgramsUnderWineMinimisedReportsFailuresAndSkipsRunningOnes) {
    const QString prefix = qEnvironmentVariable("WINEPREFIX");
    const QString target = qEnvironmentVariable("KEYRELAY_WIN_TARGET");
    if (prefix.isEmpty() || target.isEmpty()) {
        const char* why = "WINEPREFIX or KEYRELAY_WIN_TARGET is not set (see scripts/with-wine)";
        ASSERT_NE(qEnvironmentVariable("KEYRELAY_REQUIRE_WINE"), "1") << why;
        GTEST_SKIP() << why;
    }
    QTemporaryDir dir;
    const QString pid = QString::number(QCoreApplication::applicationPid());  // names unused
    const QString drive = prefix + "/drive_c/Keyrelay" + pid;                 // by other runs
    const auto end = qScopeGuard([&] {  // the programs are ours: ended by their ids
        for (const QString& process : QDir("/proc").entryList(QDir::Dirs)) {
            QFile cmdline("/proc/" + process + "/cmdline");
            if (cmdline.open(QFile::ReadOnly) && cmdline.readAll().contains("_" + pid.toUtf8())) {
                kill(process.toInt(), SIGTERM);
            }
        }
        QDir(drive).removeRecursively();
    });
    // Rows 0, 2, 3: an .exe made executable (as Wine writes them), a plain one, and one in
    // the prefix written the Windows way in other letter case. Row 1 cannot start.
    QStringList files, logs;
    LaunchList list;
    list.rows[1] = {"C:\\Keyrelay" + pid + "\\Missing.exe", "", "", true, true};
    for (int i = 0; i < 3; ++i) {
        const QString folder = i < 2 ? dir.filePath("Tools") : drive;
        files << QStringLiteral("W%1_%2.exe").arg(i).arg(pid);
        logs << folder + "/" + files[i] + ".log";  // in the working folder
        ASSERT_TRUE(QDir().mkpath(folder) && QFile::copy(target, folder + "/" + files[i]));
        std::filesystem::permissions((folder + "/" + files[i]).toStdString(),
                                     std::filesystem::perms(i == 0 ? 0755 : 0644));
        list.rows[i == 0 ? 0 : i + 1] = {
            i < 2 ? folder + "/" + files[i] : "c:\\KEYRELAY" + pid + "\\" + files[i].toUpper(), "",
            files[i] + ".log " + files[i], true, true};
    }
    // In the window manager's eyes. Its client list, not a walk of the window tree (which
    // fails while other programs' windows come and go).
    const auto iconic = [](const QString& title) {
        QProcess xprop;
        xprop.start("sh", {"-c",
                           "for w in $(xprop -root _NET_CLIENT_LIST | tr -c '0-9a-fx' ' ' "
                           "| grep -o '0x[0-9a-f]*'); do xprop -id $w WM_NAME WM_STATE; done"});
        return xprop.waitForFinished() && xprop.readAll().contains("\"" + title.toUtf8() +
                                                                   "\"\nWM_STATE(WM_STATE):\n"
                                                                   "\t\twindow state: Iconic");
    };

    ASSERT_TRUE(QDir::setCurrent(dir.path()));  // the program's working and settings folder
    Application program(createNativeServices());
    AppContext& ctx = program.context();
    QStringList messages;  // the boxes shown, each answered with OK as a user does
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            messages << box->text();
            box->accept();
        }
    });
    answer.start(50);
    for (int round = 0; round < 2; ++round) {  // the second finds them running
        LaunchListFile::save(LaunchListFile::pathIn(dir.path()), list);
        ctx.windows.get<Apps>().show();
        ctx.windows.get<Apps>().StartEm();
        ASSERT_EQ(messages.size(), round + 1);
        // The row as written, and the reason, which names the file that is missing.
        EXPECT_TRUE(messages[round].contains(list.rows[1].path) &&
                    messages[round].count("Missing.exe") == 2)
            << messages[round].toStdString();
        ctx.platform.clock.waitMs(round * 3000);  // time for a wrong second start to show
        for (int i = 0; i < 3; ++i) {             // started once, minimised, and found by its name
            EXPECT_EQ(ctx.platform.clock.waitFor([&] { return QFile::exists(logs[i]); },
                                                 round == 0 ? 20000 : 0),
                      round == 0)
                << i;
            EXPECT_TRUE(ctx.platform.clock.waitFor([&] { return iconic(files[i]); }, 30000)) << i;
            EXPECT_TRUE(ctx.delivery.IsProcessRunning(files[i])) << i;
            QFile::remove(logs[i]);
        }
    }
}

}  // namespace
}  // namespace keyrelay
