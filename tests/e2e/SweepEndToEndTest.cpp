// The real program on a real X display (Xvfb + openbox): at its first activation it runs
// the launch list, which starts an xterm; the end of the launch opens the sweep window and
// starts the sweep ("Bandscan Auto Start"), which types each frequency and its suffix into
// the xterm through XTest. Closing the main window saves the sweep settings.
#include <gtest/gtest.h>
#include <signal.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <optional>
#include <ostream>

#include "cmdpad/CommandSet.h"
#include "cmdpad/CommandSetFile.h"
#include "core/LineFile.h"
#include "e2e/WindowClose.h"
#include "launcher/LaunchListFile.h"
#include "sweep/SweepSettingsFile.h"

// Last: Xlib defines macros (Status, Bool) that clash with Qt and GoogleTest.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}
QT_END_NAMESPACE

namespace keyrelay {
namespace {

constexpr const char* TargetTitle = "Sweep Target";

// Polls `done` until it holds or `seconds` of real time have passed. Only a deadline for
// a failing run: nothing is asserted about how long it takes.
bool eventually(const std::function<bool()>& done, int seconds) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > seconds * 1000LL) {
            return false;
        }
        QThread::msleep(100);
    }
    return true;
}

// The top-level client window whose title is exactly `title`, from the window manager's
// client list.
std::optional<Window> findClient(Display* display, const char* title) {
    const Atom clientList = XInternAtom(display, "_NET_CLIENT_LIST", False);
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    const Atom netName = XInternAtom(display, "_NET_WM_NAME", False);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, DefaultRootWindow(display), clientList, 0, 4096, False,
                           XA_WINDOW, &type, &format, &count, &after, &data) != Success ||
        data == nullptr) {
        return std::nullopt;
    }
    std::optional<Window> found;
    const auto* windows = reinterpret_cast<const Window*>(data);
    for (unsigned long i = 0; i < count && !found; ++i) {
        unsigned char* name = nullptr;
        unsigned long nameLength = 0;
        if (XGetWindowProperty(display, windows[i], netName, 0, 1024, False, utf8, &type, &format,
                               &nameLength, &after, &name) == Success &&
            name != nullptr) {
            if (std::string(reinterpret_cast<char*>(name), nameLength) == title) {
                found = windows[i];
            }
            XFree(name);
        }
    }
    XFree(data);
    return found;
}

SweepSettings sweepTable() {
    SweepSettings s;
    s.TargetName = QStringLiteral("Sweep Tar");  // the first characters of the title
    s.SufixStr = QStringLiteral("~");
    auto& line = s.rows[0];
    line.StartFreq = QStringLiteral("14000");
    line.EndFreq = QStringLiteral("14001");
    line.IncH = QStringLiteral("0.5");
    line.DurSec = QStringLiteral("1");
    line.IncCheck = 1;
    // Lines that are not swept but must come back exactly as they are.
    auto& kept = s.rows[5];
    kept.StartFreq = QStringLiteral("  +^%~{ENTER}(x)");
    kept.DurSec = QStringLiteral("30*");
    kept.StartTime = QStringLiteral("22:00");
    kept.EndTime = QStringLiteral("23:59");
    s.rows[7].EndFreq = QStringLiteral("{LEFT 42}");
    s.IpAddr = QStringLiteral("127.0.0.1");
    s.Port = QStringLiteral("7373");
    return s;
}

class SweepEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        display = XOpenDisplay(nullptr);
        ASSERT_NE(display, nullptr) << "needs an X display";
    }

    void TearDown() override {
        if (program.state() != QProcess::NotRunning) {
            program.kill();
            program.waitForFinished(5000);
        }
        // The xterm the launch started, by the id its start script left.
        const auto pid = LineFile::read(path("target.pid"));
        if (pid && !pid->isEmpty()) {
            ::kill(pid->first().toInt(), SIGTERM);
        }
        if (display) {
            XCloseDisplay(display);
        }
    }

    QString path(const char* name) const { return QDir(dir.path()).filePath(name); }

    QStringList typedLines() const {
        QFile file(path("typed.txt"));
        if (!file.open(QIODevice::ReadOnly)) {
            return {};
        }
        return QString::fromLatin1(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

    QTemporaryDir dir;
    Display* display = nullptr;
    QProcess program;
};

TEST_F(SweepEndToEnd, TheAutoStartedSweepTypesItsFrequenciesAndSavesItsTableOnClose) {
    // The launch list starts the target: an xterm that writes what is typed into it.
    QFile script(path("target.sh"));
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write(QStringLiteral("#!/bin/sh\necho $$ > '%1'\nexec xterm -xrm "
                                "'XTerm*allowSendEvents: true' -T '%2' -e sh -c "
                                "\"stty -echo; exec cat > '%3'\"\n")
                     .arg(path("target.pid"), QString::fromLatin1(TargetTitle), path("typed.txt"))
                     .toLocal8Bit());
    script.close();
    script.setPermissions(script.permissions() | QFileDevice::ExeOwner);

    LaunchList launch;
    launch.rows[0].path = path("target.sh");
    launch.rows[0].wait = QStringLiteral("3");
    launch.rows[0].include = true;
    ASSERT_TRUE(LaunchListFile::write(dir.path(), launch));

    CommandSet pad;
    pad.ASA = true;   // "Auto Start Apps"
    pad.FCAS = true;  // "Bandscan Auto Start"
    CommandSetFile::save(path("CmdPadF.ini"), pad);

    // The sweep table as a user's editor might leave it: LF line ends, bare check box
    // values. The program writes it back in its own form.
    const SweepSettings table = sweepTable();
    QStringList edited = SweepSettingsFile::lines(table);
    for (QString& line : edited) {
        if (line == QLatin1String(" 0 ") || line == QLatin1String(" 1 ")) {
            line = line.trimmed();
        }
    }
    QFile prepared(path("QsySweep.txt"));
    ASSERT_TRUE(prepared.open(QIODevice::WriteOnly));
    prepared.write(edited.join(QLatin1Char('\n')).toLatin1());
    prepared.close();

    program.setWorkingDirectory(dir.path());
    program.setProcessChannelMode(QProcess::ForwardedChannels);
    program.start(QStringLiteral(KEYRELAY_BINARY), {});
    ASSERT_TRUE(program.waitForStarted(10000));

    // 14000, 14000.5, 14001, then the range starts again.
    ASSERT_TRUE(eventually([&] { return typedLines().size() >= 4; }, 90))
        << typedLines().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(typedLines().mid(0, 4), (QStringList{"14000", "14000.5", "14001", "14000"}));

    const auto main = findClient(display, "Keyrelay");
    ASSERT_TRUE(main.has_value());
    ASSERT_TRUE(e2e::askToClose(*main));
    ASSERT_TRUE(program.waitForFinished(30000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);

    QFile saved(path("QsySweep.txt"));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    const QByteArray bytes = saved.readAll();
    EXPECT_EQ(bytes.count("\r\n"), 88);
    EXPECT_EQ(bytes,
              (SweepSettingsFile::lines(table).join(QLatin1String("\r\n")) + QLatin1String("\r\n"))
                  .toLatin1());
    SweepSettings loaded;
    SweepSettingsFile::load(SweepSettingsFile::pathIn(dir.path()), loaded);
    EXPECT_EQ(loaded, table);
}

// The same start in telnet mode against skimsim, started in the working folder: the
// program connects to it, answers its login and sends its frequency commands, each on the
// line's dwell. Nothing is typed anywhere.
TEST_F(SweepEndToEnd, TheAutoStartedSweepLogsInToTheDecoderAndSendsItsCommands) {
    QProcess skimsim;
    skimsim.setWorkingDirectory(dir.path());
    skimsim.start(QStringLiteral(SKIMSIM_BINARY),
                  {QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--log"),
                   QStringLiteral("skimsim.log")});
    ASSERT_TRUE(skimsim.waitForStarted(10000));
    ASSERT_TRUE(skimsim.waitForReadyRead(10000));
    const QString port = QString::fromLatin1(skimsim.readLine()).trimmed();
    ASSERT_GT(port.toInt(), 0);
    struct StopSkimsim {
        QProcess& p;
        ~StopSkimsim() {
            p.kill();
            p.waitForFinished(5000);
        }
    } stopSkimsim{skimsim};

    // A launch list with nothing to start.
    ASSERT_TRUE(LaunchListFile::write(dir.path(), LaunchList{}));
    CommandSet pad;
    pad.ASA = true;   // "Auto Start Apps"
    pad.FCAS = true;  // "Bandscan Auto Start"
    CommandSetFile::save(path("CmdPadF.ini"), pad);
    SweepSettings table;
    table.ViaTelnet = 1;
    table.ImAServer = 1;  // no link port: nothing listens for link clients
    table.SkimmerPort = port;
    auto& line = table.rows[0];
    line.StartFreq = QStringLiteral("7000");
    line.EndFreq = QStringLiteral("7001");
    line.IncH = QStringLiteral("0.5");
    line.DurSec = QStringLiteral("1");
    line.IncCheck = 1;
    ASSERT_TRUE(SweepSettingsFile::save(SweepSettingsFile::pathIn(dir.path()), table));

    auto received = [&] {
        QFile log(path("skimsim.log"));
        QStringList lines;
        if (log.open(QIODevice::ReadOnly)) {
            for (const QString& l : QString::fromLatin1(log.readAll()).split(QLatin1Char('\n'))) {
                const qsizetype at = l.indexOf(QLatin1String(" < "));
                if (at >= 0) {
                    lines.append(l.mid(at + 3));
                }
            }
        }
        return lines;
    };

    program.setWorkingDirectory(dir.path());
    program.setProcessChannelMode(QProcess::ForwardedChannels);
    program.start(QStringLiteral(KEYRELAY_BINARY), {});
    ASSERT_TRUE(program.waitForStarted(10000));

    ASSERT_TRUE(eventually([&] { return received().size() >= 6; }, 90))
        << received().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(received().mid(0, 6),
              (QStringList{"NOCALL\\r", "SKIMMER/QSY 7000\\r", "SKIMMER/QSY 7000.5\\r",
                           "SKIMMER/QSY 7001\\r", "SKIMMER/QSY 7000\\r", "SKIMMER/QSY 7000.5\\r"}));

    const auto main = findClient(display, "Keyrelay");
    ASSERT_TRUE(main.has_value());
    ASSERT_TRUE(e2e::askToClose(*main));
    ASSERT_TRUE(program.waitForFinished(30000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
    SweepSettings loaded;
    SweepSettingsFile::load(SweepSettingsFile::pathIn(dir.path()), loaded);
    EXPECT_EQ(loaded, table);
}

}  // namespace
}  // namespace keyrelay
