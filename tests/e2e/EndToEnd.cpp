#include "e2e/EndToEnd.h"

#include <signal.h>

#include <QClipboard>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QMenuBar>
#include <QPixmap>
#include <QRegularExpression>
#include <QScreen>
#include <QThread>
#include <string>

// Last: Xlib defines macros (Status, Bool) that clash with Qt and GoogleTest.
#include <X11/Xlib.h>

namespace keyrelay::e2e {

bool eventually(const std::function<bool()>& done, int seconds) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > seconds * 1000LL) {
            return false;
        }
        QThread::msleep(50);
    }
    return true;
}

QString run(const QString& program, const QStringList& arguments) {
    QProcess p;
    p.start(program, arguments);
    p.waitForFinished(10000);
    return QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed();
}

unsigned long findWindow(const QString& title, unsigned long except, qint64 pid) {
    const QStringList byPid = pid != 0 ? QStringList{"--pid", QString::number(pid)} : QStringList{};
    const QString ids = run("xdotool", QStringList{"search", "--all", "--onlyvisible"} + byPid +
                                           QStringList{"--name", "^" + title + "$"});
    for (const QString& id : ids.split('\n', Qt::SkipEmptyParts)) {
        if (id.toULong() != except) {
            return id.toULong();
        }
    }
    return 0;
}

void askToClose(unsigned long window) {
    Display* display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr);
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XCloseDisplay(display);
}

namespace user {

void click(unsigned long window, QPoint at) {
    const QString id = QString::number(window);
    run("xdotool", {"windowactivate", "--sync", id, "mousemove", "--window", id,
                    QString::number(at.x()), QString::number(at.y()), "click", "1"});
}

QPoint menuItem(const QStringList& captions, int index) {
    QMenuBar bar;
    bar.resize(2000, bar.sizeHint().height());
    for (const QString& caption : captions) {
        bar.addAction(caption);
    }
    return bar.actionGeometry(bar.actions().at(index)).center();
}

QPoint belowMenu(int leftTwips, int topTwips) {
    const double dpi = QGuiApplication::primaryScreen()->logicalDotsPerInch();
    QMenuBar bar;  // of one line
    bar.addAction(QStringLiteral("File"));
    return {qRound(leftTwips * dpi / 1440),
            bar.sizeHint().height() + qRound(topTwips * dpi / 1440)};
}

QString copyField(unsigned long window, QPoint at) {
    click(window, at);
    run("xdotool", {"key", "--clearmodifiers", "ctrl+a", "ctrl+c"});
    QString text;
    const auto copied = [&] {  // the clipboard's owner changes as events arrive
        QCoreApplication::processEvents();
        return !(text = QGuiApplication::clipboard()->text()).isEmpty();
    };
    eventually(copied, 5);
    QGuiApplication::clipboard()->clear();
    return text;
}

bool redAt(unsigned long window, QPoint at) {
    run("xdotool", {"windowraise", QString::number(window)});
    const QColor pixel = QGuiApplication::primaryScreen()
                             ->grabWindow(static_cast<WId>(window), at.x(), at.y(), 1, 1)
                             .toImage()
                             .pixelColor(0, 0);
    return pixel.red() > 180 && pixel.green() < 100 && pixel.blue() < 100;
}

}  // namespace user

unsigned long ProgramCopy::waitForWindow(const QString& title) {
    unsigned long window = 0;
    eventually([&] { return (window = findWindow(title, 0, program.processId())) != 0; }, 20);
    return window;
}

void EndToEnd::TearDown() {
    if (program.state() != QProcess::NotRunning) {
        program.kill();
        program.waitForFinished(5000);
    }
    skimsim.kill();
    skimsim.waitForFinished(5000);
    QFile pid(path("recorder.pid"));
    if (pid.open(QIODevice::ReadOnly)) {
        ::kill(pid.readAll().trimmed().toInt(), SIGTERM);
    }
}

void ProgramCopy::writeFile(const QString& name, const QByteArray& bytes) {
    QFile file(path(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QString EndToEnd::recorderScript(const QString& title) {
    writeFile("recorder.sh", QStringLiteral("#!/bin/sh\necho $$ > '%1'\nexec xterm -xrm "
                                            "'XTerm*allowSendEvents: true' -T '%2' -e sh -c "
                                            "\"stty -echo; exec cat > '%3'\"\n")
                                 .arg(path("recorder.pid"), title, path("typed.txt"))
                                 .toLocal8Bit());
    QFile(path("recorder.sh")).setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    return path("recorder.sh");
}

QStringList EndToEnd::typedLines() const {
    QFile file(path("typed.txt"));
    QStringList lines = QString::fromLatin1(file.open(QIODevice::ReadOnly) ? file.readAll() : "")
                            .split(QLatin1Char('\n'));
    lines.removeLast();  // only whole lines: the last one may still be arriving
    return lines;
}

QString EndToEnd::startSkimsim() {
    skimsim.setWorkingDirectory(dir.path());
    skimsim.start(QStringLiteral(SKIMSIM_BINARY), {"--port", "0", "--log", "skimsim.log"});
    EXPECT_TRUE(skimsim.waitForStarted(10000) && skimsim.waitForReadyRead(10000));
    return QString::fromLatin1(skimsim.readLine()).trimmed();
}

QStringList EndToEnd::skimsimReceived() const {
    QFile log(path("skimsim.log"));
    const QString text = QString::fromLatin1(log.open(QIODevice::ReadOnly) ? log.readAll() : "");
    return text.split('\n').filter(" < ").replaceInStrings(QRegularExpression(".* < "), "");
}

void WineEndToEnd::SetUp() {
    if (qEnvironmentVariableIsEmpty("WINEPREFIX") ||
        qEnvironmentVariableIsEmpty("KEYRELAY_WIN_TARGET")) {
        const char* why = "WINEPREFIX or KEYRELAY_WIN_TARGET unset: run through scripts/with-wine";
        if (qEnvironmentVariable("KEYRELAY_REQUIRE_WINE") == "1") {
            GTEST_FAIL() << why;
        }
        GTEST_SKIP() << why;
    }
}

void WineEndToEnd::TearDown() {
    for (const unsigned long window : targetWindows) {
        askToClose(window);  // a target started minimised is not a child of ours
    }
    for (const auto& target : targets) {
        target->kill();
        target->waitForFinished(5000);
    }
    EndToEnd::TearDown();
}

unsigned long WineEndToEnd::startTarget(const QString& title, bool minimised) {
    QProcess& target = *targets.emplace_back(std::make_unique<QProcess>());
    // Never pipes: Wine's helper processes would inherit them and keep them open.
    target.setStandardInputFile(QProcess::nullDevice());
    target.setStandardOutputFile(QProcess::nullDevice());
    target.setStandardErrorFile(QProcess::nullDevice());
    const QStringList start = minimised ? QStringList{"start", "/min", "/unix"} : QStringList{};
    target.start("wine", start + QStringList{qEnvironmentVariable("KEYRELAY_WIN_TARGET"),
                                             "Z:" + path(title + ".log"), title});
    unsigned long window = 0;
    const auto shown = [&] {  // a minimised window is not visible
        const QString ids = run("xdotool", {"search", "--name", "^" + title + "$"});
        return received(title) == "" && (window = ids.section('\n', 0, 0).toULong()) != 0;
    };
    eventually(shown, 30);
    return targetWindows.emplace_back(window);
}

QString WineEndToEnd::received(const QString& title) const {
    QFile file(path(title + ".log"));
    if (!file.open(QIODevice::ReadOnly)) {
        return "(no log)";
    }
    QString text;
    const auto flags = [](const QStringList& f) {
        return QString(f[3].endsWith('1') ? "+" : "") + (f[4].endsWith('1') ? "^" : "") +
               (f[5].endsWith('1') ? "%" : "");
    };
    for (const QString& line : QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts)) {
        const QStringList f = line.split(' ');
        const char32_t code = f.value(1).mid(2).toUInt(nullptr, 16);
        const uint key = f.value(2).mid(5).toUInt(nullptr, 16);
        if (f[0] == "char" || f[0] == "syschar") {
            text += (f[0] == "syschar" ? "%" : "") +
                    (code < 0x20 || code == 0x7F
                         ? QString("<%1>").arg(static_cast<uint>(code), 2, 16, QChar('0')).toUpper()
                         : QString::fromUcs4(&code, 1));
        } else if (line.startsWith("key down") &&
                   ((key >= 0x21 && key <= 0x2E) || (key >= 0x70 && key <= 0x87))) {
            text += flags(f) + QString("{%1}").arg(key, 2, 16, QChar('0')).toUpper();
        } else if (f[0] == "dialog") {
            text += "[" + line.mid(7) + "]";
        }
    }
    return text;
}

QStringList ProgramCopy::savedLines(const QString& name) const {
    QFile file(path(name));
    QStringList lines =
        QString::fromLatin1(file.open(QIODevice::ReadOnly) ? file.readAll() : "").split("\r\n");
    lines.removeLast();  // after the last line end
    return lines;
}

unsigned long ProgramCopy::startProgram(const QStringList& arguments) {
    program.setWorkingDirectory(dir.path());
    program.setProcessChannelMode(QProcess::ForwardedChannels);
    program.start(QStringLiteral(KEYRELAY_BINARY), arguments);
    EXPECT_TRUE(program.waitForStarted(10000));
    EXPECT_NE(mainWindow = waitForWindow("Keyrelay"), 0u) << "the Keyrelay window did not appear";
    return mainWindow;
}

bool ProgramCopy::closeProgram() {
    askToClose(mainWindow);
    return endsWithStatus0();
}

bool ProgramCopy::endsWithStatus0() {
    return program.waitForFinished(30000) && program.exitStatus() == QProcess::NormalExit &&
           program.exitCode() == 0;
}

}  // namespace keyrelay::e2e
