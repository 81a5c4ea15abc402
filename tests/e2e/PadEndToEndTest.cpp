// The real program on a real X display: it types its commands into an xterm whose shell
// records them, repeats them, and writes its setup file when its window is closed.
#include <gtest/gtest.h>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <functional>

#include "e2e/WindowClose.h"

namespace {

constexpr const char* TargetTitle = "KeyrelayTarget";

// Polls `done` every 50 ms for at most `timeoutMs`.
bool waitUntil(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs) {
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

// The visible window whose whole title is `title`, 0 when there is none.
unsigned long findWindow(const QString& title) {
    const QString out =
        run(QStringLiteral("xdotool"), {"search", "--onlyvisible", "--name", "^" + title + "$"});
    return out.isEmpty() ? 0 : out.split(QLatin1Char('\n')).first().toULong();
}

QStringList fileLines(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        return {};
    }
    QStringList lines = QString::fromLatin1(f.readAll()).split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.last().isEmpty()) {
        lines.removeLast();
    }
    return lines;
}

QStringList typedLines(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QString text = QString::fromLatin1(f.readAll());
    // Only whole lines: the last one may still be arriving.
    QStringList lines = text.split(QLatin1Char('\n'));
    lines.removeLast();
    return lines;
}

class PadEndToEndTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        ASSERT_FALSE(qEnvironmentVariableIsEmpty("DISPLAY")) << "needs an X display";
        typed = dir.path() + "/typed.txt";
        // The recorder: a terminal whose shell writes every line it receives to a file.
        xterm.start(QStringLiteral("xterm"),
                    {"-xrm", "XTerm*allowSendEvents: true", "-T", TargetTitle, "-geometry",
                     "60x8+500+400", "-e", "sh", "-c", "stty -echo; exec cat > '" + typed + "'"});
        ASSERT_TRUE(xterm.waitForStarted(10000));
        ASSERT_TRUE(waitUntil([] { return findWindow(TargetTitle) != 0; }, 20000))
            << "the xterm did not appear";
        ASSERT_TRUE(waitUntil([this] { return QFile::exists(typed); }, 10000));
    }

    void TearDown() override {
        if (keyrelay.state() != QProcess::NotRunning) {
            keyrelay.kill();
            keyrelay.waitForFinished(5000);
        }
        xterm.kill();
        xterm.waitForFinished(5000);
    }

    void writeSetup(const QByteArray& content) {
        QFile f(dir.path() + "/CmdPadF.ini");
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
    }

    unsigned long startKeyrelay() {
        keyrelay.setWorkingDirectory(dir.path());
        keyrelay.setProcessChannelMode(QProcess::ForwardedChannels);
        keyrelay.start(QStringLiteral(KEYRELAY_BIN), {});
        EXPECT_TRUE(keyrelay.waitForStarted(10000));
        unsigned long window = 0;
        EXPECT_TRUE(waitUntil(
            [&] {
                window = findWindow(QStringLiteral("Keyrelay"));
                return window != 0;
            },
            20000))
            << "the Keyrelay window did not appear";
        return window;
    }

    // Clicks "Start" of the collapsed window: the first button of the control row, whose
    // 25-pixel height ends 10 pixels above the bottom edge at 96 dpi; the menu bar above
    // it may be 11 to 36 pixels high for the point to hit.
    void clickStart(unsigned long window) {
        const QString geometry =
            run(QStringLiteral("xdotool"), {"getwindowgeometry", QString::number(window)});
        const QString size = geometry.section(QStringLiteral("Geometry: "), 1).trimmed();
        const int height = size.section(QLatin1Char('x'), 1).toInt();
        ASSERT_GT(height, 23) << geometry.toStdString();
        run(QStringLiteral("xdotool"), {"mousemove", "--window", QString::number(window), "31",
                                        QString::number(height - 23), "click", "1"});
    }

    QTemporaryDir dir;
    QString typed;
    QProcess xterm;
    QProcess keyrelay;
};

TEST_F(PadEndToEndTest, TypesItsCommandsIntoTheTargetRepeatsThemAndSavesOnClose) {
    // A hand-made short set: title, period 3 s, two commands and the wait between them.
    writeSetup(QByteArray(TargetTitle) + "\r\n3\r\nabc\r\n0.2\r\n{h 3}+x~\r\n");
    const unsigned long window = startKeyrelay();
    ASSERT_NE(window, 0u);
    clickStart(window);

    ASSERT_TRUE(waitUntil([&] { return typedLines(typed).size() >= 3; }, 30000))
        << "typed so far: " << typedLines(typed).join(" | ").toStdString();
    for (const QString& line : typedLines(typed)) {
        EXPECT_EQ(line, QStringLiteral("abchhhX"));
    }

    ASSERT_TRUE(keyrelay::e2e::askToClose(window));
    ASSERT_TRUE(keyrelay.waitForFinished(20000));
    EXPECT_EQ(keyrelay.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(keyrelay.exitCode(), 0);

    // The set was written back whole: 34 lines, the values as they were loaded.
    const QStringList saved = fileLines(dir.path() + "/CmdPadF.ini");
    ASSERT_EQ(saved.size(), 34);
    EXPECT_EQ(saved[0], QString::fromLatin1(TargetTitle));
    EXPECT_EQ(saved[1], QStringLiteral("3"));
    EXPECT_EQ(saved[2], QStringLiteral("abc"));
    EXPECT_EQ(saved[3], QStringLiteral("0.2"));
    EXPECT_EQ(saved[4], QStringLiteral("{h 3}+x~"));
    EXPECT_EQ(saved[28], QStringLiteral(" 0 "));
    EXPECT_EQ(saved[29], QStringLiteral("FALSE"));
}

TEST_F(PadEndToEndTest, NamedSetupFromTheCommandLineIsWrittenUnderThatName) {
    QFile f(dir.path() + "/NR1");
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("Second radio\r\n");
    f.close();
    keyrelay.setWorkingDirectory(dir.path());
    keyrelay.start(QStringLiteral(KEYRELAY_BIN), {"NR1"});
    ASSERT_TRUE(keyrelay.waitForStarted(10000));
    unsigned long window = 0;
    ASSERT_TRUE(waitUntil(
        [&] {
            window = findWindow(QStringLiteral("Keyrelay"));
            return window != 0;
        },
        20000));
    ASSERT_TRUE(keyrelay::e2e::askToClose(window));
    ASSERT_TRUE(keyrelay.waitForFinished(20000));
    EXPECT_EQ(keyrelay.exitCode(), 0);
    const QStringList saved = fileLines(dir.path() + "/NR1");
    ASSERT_EQ(saved.size(), 34);
    EXPECT_EQ(saved[0], QStringLiteral("Second radio"));
    EXPECT_FALSE(QFile::exists(dir.path() + "/NR1.INI"));
    EXPECT_FALSE(QFile::exists(dir.path() + "/CmdPadF.ini"));
}

TEST(ProgramWithoutDisplay, SaysWhyAndFails) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    p.setProcessEnvironment(env);
    QTemporaryDir dir;
    p.setWorkingDirectory(dir.path());
    p.start(QStringLiteral(KEYRELAY_BIN), {});
    ASSERT_TRUE(p.waitForFinished(20000));
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_NE(p.exitCode(), 0);
    EXPECT_TRUE(p.readAllStandardError().contains("keyrelay: cannot start"));
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).isEmpty());
}

}  // namespace
