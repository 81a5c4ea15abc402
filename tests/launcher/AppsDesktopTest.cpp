// The launch sequence on a real X display: real program starts, the real window list and
// window rectangles, XTest clicks, the real clock. The programs started are copies of the
// recording test window (tests/support/X11TestWindow.cpp), which log what they see.
#include <gtest/gtest.h>

#include <signal.h>
#include <QApplication>
#include <QCheckBox>
#include <QCursor>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPointer>
#include <QTemporaryDir>
#include <QWidget>
#include <ostream>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "app/ProgramActions.h"
#include "core/LineFile.h"
#include "core/QtClock.h"
#include "fakes/ScriptedDialogs.h"
#include "launcher/Apps.h"
#include "launcher/LaunchListFile.h"
#include "platform/NativeServices.h"
#include "platform/PlatformError.h"
#include "ui/AppContext.h"
#include "ui/WindowRegistry.h"

// Readable failure messages for texts.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}
QT_END_NAMESPACE

namespace keyrelay {
namespace {

struct ProgramEnded {};

struct Click {
    int x = 0;  // window-relative
    int y = 0;
    int xRoot = 0;
    int yRoot = 0;
};

// What one stand-in wrote.
// Where the tests click a stand-in to learn that its earlier clicks have all arrived.
constexpr int SentinelX = 7;
constexpr int SentinelY = 13;

struct StandinLog {
    QStringList lines;

    QStringList valuesOf(const QString& key) const {
        QStringList values;
        for (const QString& line : lines) {
            if (line.startsWith(key + QLatin1Char(' '))) {
                values << line.mid(key.size() + 1);
            }
        }
        return values;
    }
    std::vector<Click> clicks() const {
        std::vector<Click> result;
        for (const QString& v : valuesOf(QStringLiteral("click"))) {
            const QStringList n = v.split(QLatin1Char(' '));
            result.push_back({n[0].toInt(), n[1].toInt(), n[2].toInt(), n[3].toInt()});
        }
        return result;
    }
    // The client area's screen position at the last move.
    QPoint origin() const {
        const QStringList all = valuesOf(QStringLiteral("origin"));
        if (all.isEmpty()) {
            return {};
        }
        const QStringList n = all.last().split(QLatin1Char(' '));
        return {n[0].toInt(), n[1].toInt()};
    }
};

class AppsDesktop : public ::testing::Test {
protected:
    void SetUp() override {
        try {
            native = createNativeServices();
        } catch (const PlatformError& e) {
            FAIL() << "no desktop (run under scripts/with-display): " << e.description();
        }
        platform = std::make_unique<Platform>(Platform{native->windows(), native->standardKeys(),
                                                       native->alternateKeys(), native->mouse(),
                                                       native->processes(), clock, dialogs});
        delivery = std::make_unique<Delivery>(*platform);
        ctx = std::make_unique<AppContext>(AppContext{state, *platform, *delivery, marker, windows,
                                                      actions, dir.filePath("settings"),
                                                      [] { throw ProgramEnded{}; }});
        windows.setContext(*ctx);
        for (const char* sub : {"settings", "logs", "CwSkimmer", "tools"}) {
            ASSERT_TRUE(QDir(dir.path()).mkpath(QString::fromLatin1(sub)));
        }
        qputenv("KEYRELAY_STANDIN_DIR", dir.filePath("logs").toLocal8Bit());
        qputenv("KEYRELAY_STANDIN_LIFE", "60");
        qunsetenv("KEYRELAY_STANDIN_UNDECORATED");
    }

    void TearDown() override {
        // End the stand-ins this test started.
        for (const QString& name : QDir(dir.filePath("logs")).entryList(QDir::Files)) {
            const StandinLog log = logOf(name.chopped(4));
            if (HasFailure()) {
                std::fprintf(stderr, "--- %s\n%s\n", qPrintable(name),
                             qPrintable(log.lines.join(QLatin1Char('\n'))));
            }
            for (const QString& pid : log.valuesOf(QStringLiteral("pid"))) {
                ::kill(pid.toInt(), SIGTERM);
            }
        }
        // Deleting one window may delete others it owns: keep track of which are left.
        const QWidgetList all = QApplication::topLevelWidgets();
        std::vector<QPointer<QWidget>> left(all.begin(), all.end());
        for (QPointer<QWidget>& w : left) {
            delete w.data();
        }
    }

    // A copy of the stand-in at `folder`/`name`, returned as the path a user types.
    QString installStandin(const char* folder, const char* name) {
        const QString path = dir.filePath(QString::fromLatin1(folder) + QLatin1Char('/') +
                                          QString::fromLatin1(name));
        EXPECT_TRUE(QFile::copy(QStringLiteral(LAUNCH_STANDIN), path));
        return path;
    }

    StandinLog logOf(const QString& name) const {
        StandinLog log;
        log.lines = LineFile::read(dir.filePath("logs/" + name + ".log")).value_or(QStringList{});
        return log;
    }

    // Waits (running the event loop) until the stand-in's log satisfies `done`.
    bool waitForLog(const QString& name, const std::function<bool(const StandinLog&)>& done,
                    std::int64_t timeoutMs = 10000) {
        return clock.waitFor([&] { return done(logOf(name)); }, timeoutMs);
    }

    // Clicks the window of `name` at a point of its own and waits until the stand-in has
    // seen it: every click made before it has then been recorded as well. Returns the
    // clicks before it.
    std::vector<Click> clicksBeforeSentinel(const QString& name) {
        // Raised first, so that no other window takes the sentinel.
        const auto handle = delivery->FindWindowByTitle(QLatin1Char(' ') + name);
        EXPECT_TRUE(handle.has_value());
        if (handle) {
            native->windows().activate(*handle);
            clock.waitFor(
                [&] {
                    const auto top = native->windows().topLevelWindows();
                    return !top.empty() && top.front().handle == *handle;
                },
                5000);
        }
        const QPoint origin = logOf(name).origin();
        native->mouse().moveTo(origin.x() + SentinelX, origin.y() + SentinelY);
        native->mouse().leftDown();
        native->mouse().leftUp();
        std::vector<Click> before;
        const bool seen = waitForLog(name, [&](const StandinLog& l) {
            before.clear();
            for (const Click& c : l.clicks()) {
                if (c.x == SentinelX && c.y == SentinelY) {
                    return true;
                }
                before.push_back(c);
            }
            return false;
        });
        EXPECT_TRUE(seen) << "the stand-in " << name.toStdString() << " sees no clicks";
        return before;
    }

    ScreenRect rectOf(const char* titleFragment) {
        const auto handle = delivery->FindWindowByTitle(QString::fromLatin1(titleFragment));
        EXPECT_TRUE(handle.has_value()) << titleFragment;
        return handle ? native->windows().windowRect(*handle) : ScreenRect{};
    }

    void fill(Apps& apps, int row, const QString& path, const char* wait, const char* param,
              bool minimize) {
        apps.Text1[row]->setText(path);
        apps.Text2[row]->setText(QString::fromLatin1(wait));
        apps.Param[row]->setText(QString::fromLatin1(param));
        apps.Check1[row]->setChecked(minimize);
        apps.Check4[row]->setChecked(true);
    }

    QTemporaryDir dir;
    std::unique_ptr<NativeServices> native;
    QtClock clock;
    ScriptedDialogs dialogs;
    ProgramState state;
    BusyMarker marker{state};
    WindowRegistry windows;
    ProgramActions actions{windows};
    std::unique_ptr<Platform> platform;
    std::unique_ptr<Delivery> delivery;
    std::unique_ptr<AppContext> ctx;
};

TEST_F(AppsDesktop, StartsProgramsInTheirFoldersAndClicksTheDecoderWindow) {
    const QString tool = installStandin("tools", "minstand");
    const QString skimmer = installStandin("CwSkimmer", "skimstand");
    Apps& apps = windows.get<Apps>();
    EXPECT_EQ(state.ClickOffset, 95);
    fill(apps, 0, tool, "0.5", "-f one \"two words\"", true);
    fill(apps, 1, skimmer, "3", "--ini x.ini", true);
    apps.show();
    apps.StartEm();
    const QPoint pointerAfter = QCursor::pos();
    EXPECT_FALSE(windows.isLoaded(Apps::Name));

    const auto started = [](const StandinLog& l) { return !l.valuesOf("origin").isEmpty(); };
    EXPECT_TRUE(waitForLog("minstand", started));
    EXPECT_TRUE(waitForLog("skimstand", started));
    const StandinLog toolLog = logOf("minstand");
    EXPECT_EQ(toolLog.valuesOf("cwd"), QStringList{dir.filePath("tools")});
    EXPECT_EQ(toolLog.valuesOf("arg"), (QStringList{"-f", "one", "two words"}));
    EXPECT_TRUE(waitForLog("minstand", [](const StandinLog& l) {
        return l.valuesOf("wmstate").contains("3");
    })) << "the program asked to start minimised did not become iconic";

    const StandinLog skimLog = logOf("skimstand");
    EXPECT_EQ(skimLog.valuesOf("cwd"), QStringList{dir.filePath("CwSkimmer")});
    EXPECT_EQ(skimLog.valuesOf("arg"), (QStringList{"--ini", "x.ini"}));
    EXPECT_FALSE(skimLog.valuesOf("wmstate").contains("3"));  // minimised by a click instead

    // The focus click lands inside the client at the frame's (left + 25, top + 70).
    const std::vector<Click> clicks = clicksBeforeSentinel("skimstand");
    ASSERT_EQ(clicks.size(), 1u);
    const ScreenRect frame = rectOf("CW Skimmer skimstand");
    const QPoint origin = logOf("skimstand").origin();
    EXPECT_EQ(clicks[0].xRoot, frame.left + 25);
    EXPECT_EQ(clicks[0].yRoot, frame.top + 70);
    EXPECT_EQ(clicks[0].x, frame.left + 25 - origin.x());
    EXPECT_EQ(clicks[0].y, frame.top + 70 - origin.y());
    // The minimise click falls on the frame's title bar, which belongs to the window
    // manager; the pointer shows where it went. The next test sees it arrive on a window
    // without a frame.
    EXPECT_LT(frame.top + 10, origin.y());
    EXPECT_EQ(pointerAfter, QPoint(frame.right - 95, frame.top + 10));
}

TEST_F(AppsDesktop, TheMinimiseClickHonoursTheOffsetFromTheListFile) {
    qputenv("KEYRELAY_STANDIN_UNDECORATED", "1");
    const QString skimmer = installStandin("CwSkimmer", "skimstand");
    LaunchList list;
    list.rows[0] = {skimmer, "3", "", true, true};
    list.clickOffset = 70;
    ASSERT_TRUE(LaunchListFile::write(ctx->settingsFolder, list));

    Apps& apps = windows.get<Apps>();
    EXPECT_EQ(state.ClickOffset, 70);
    apps.show();
    apps.StartEm();

    const QPoint pointerAfter = QCursor::pos();
    const std::vector<Click> clicks = clicksBeforeSentinel("skimstand");
    ASSERT_EQ(clicks.size(), 2u);  // focus, minimise
    const ScreenRect frame = rectOf("CW Skimmer skimstand");
    const QPoint origin = logOf("skimstand").origin();
    EXPECT_EQ(clicks[0].xRoot, frame.left + 25);
    EXPECT_EQ(clicks[0].yRoot, frame.top + 70);
    EXPECT_EQ(clicks[1].xRoot, frame.right - 70);
    EXPECT_EQ(clicks[1].yRoot, frame.top + 10);
    EXPECT_EQ(clicks[1].x, frame.right - 70 - origin.x());
    EXPECT_EQ(clicks[1].y, frame.top + 10 - origin.y());
    // The cursor stays where the last click put it.
    EXPECT_EQ(pointerAfter, QPoint(frame.right - 70, frame.top + 10));
}

TEST_F(AppsDesktop, AProgramAlreadyRunningIsNotStartedAgainNorClicked) {
    const QString skimmer = installStandin("CwSkimmer", "skimstand");
    native->processes().start(dir.filePath("CwSkimmer").toStdString() + "/", "skimstand", "first",
                              WindowState::Normal);
    ASSERT_TRUE(waitForLog("skimstand",
                           [](const StandinLog& l) { return !l.valuesOf("origin").isEmpty(); }));
    ASSERT_TRUE(delivery->IsProcessRunning(QStringLiteral("SkimStand")));

    Apps& apps = windows.get<Apps>();
    fill(apps, 0, skimmer, "5", "second", true);
    apps.show();
    apps.StartEm();

    EXPECT_TRUE(clicksBeforeSentinel("skimstand").empty());
    const StandinLog log = logOf("skimstand");
    EXPECT_EQ(log.valuesOf("pid").size(), 1);
    EXPECT_EQ(log.valuesOf("arg"), QStringList{"first"});
}

}  // namespace
}  // namespace keyrelay
