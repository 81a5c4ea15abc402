#pragma once

#include <QCheckBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QLineEdit>
#include <QTemporaryDir>
#include <functional>
#include <string>
#include <vector>

#include "app/ProgramActions.h"
#include "cmdpad/CmdPadF.h"
#include "cmdpad/Dirx.h"
#include "cmdpad/HlpF.h"
#include "core/LineFile.h"
#include "core/ProgramState.h"
#include "delivery/BusyMarker.h"
#include "delivery/Delivery.h"
#include "fakes/FakePlatform.h"
#include "launcher/Apps.h"
#include "sweep/QsySweep.h"
#include "telnet/TerminalF.h"
#include "ui/AppContext.h"
#include "ui/WindowRegistry.h"

namespace keyrelay::test {

// Runs Qt's events, virtual time standing, until `done` holds (ten seconds at most): for
// what real sockets deliver.
inline bool realWait(const std::function<bool()>& done) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < 10000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return done();
}

// One program on the fake desktop: its own state, a temporary working folder (which also
// holds the busy marker), the registry, and a record of how often it asked to end.
struct TestProgram {
    QTemporaryDir folder;
    FakePlatform fake;
    ProgramState state;
    Delivery delivery{fake.platform()};
    BusyMarker marker{state};
    WindowRegistry windows;
    ProgramActions actions{windows};
    int endRequests = 0;
    std::function<void()> onEnd;
    AppContext ctx{
        state, fake.platform(), delivery, marker, windows, actions, folder.path(), [this] {
            state.EndRequested = true;  // as the application's end does
            ++endRequests;
            if (onEnd) {
                onEnd();
            }
        }};

    TestProgram() {
        state.LogdeckFolder = folder.path() + QLatin1Char('/');
        windows.setContext(ctx);
    }

    ~TestProgram() {
        // Windows go while the context they use still exists.
        delete windows.ifLoaded<CmdPadF>();
        delete windows.ifLoaded<Dirx>();
        delete windows.ifLoaded<HlpF>();
        delete windows.ifLoaded<Apps>();
        delete windows.ifLoaded<TerminalF>();
        delete windows.ifLoaded<QsySweep>();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    CmdPadF& pad() { return windows.get<CmdPadF>(); }
    QsySweep& sweep() { return windows.get<QsySweep>(); }

    // Fills line `n` of the sweep table and includes it.
    void setLine(int n, const char* start, const char* end, const char* inc, const char* dwell) {
        QsySweep& s = sweep();
        s.StartFreq[n]->setText(QString::fromLatin1(start));
        s.EndFreq[n]->setText(QString::fromLatin1(end));
        s.IncH[n]->setText(QString::fromLatin1(inc));
        s.DurSec[n]->setText(QString::fromLatin1(dwell));
        s.IncCheck[n]->setChecked(true);
    }

    // Lets `n` seconds of virtual time pass, firing the ticks due meanwhile.
    void seconds(int n) { fake.clock.advance(static_cast<std::int64_t>(n) * 1000); }

    // The frequencies typed so far (the strings that begin with a digit), each as
    // "frequency@ms" with the virtual time it was typed at.
    std::vector<std::string> typedFrequencies() const {
        std::vector<std::string> out;
        for (const auto& s : fake.standardKeys.sent()) {
            if (!s.keys.empty() && s.keys[0] >= '0' && s.keys[0] <= '9') {
                out.push_back(s.keys + "@" + std::to_string(s.atMs));
            }
        }
        return out;
    }

    QString path(const QString& name) const { return folder.path() + QLatin1Char('/') + name; }

    void writeLines(const QString& name, const QStringList& lines) {
        LineFile::write(path(name), lines);
    }

    bool markerExists() const { return marker.exists(); }
    void placeMarker() { LineFile::write(marker.path(), {QStringLiteral("XX")}); }

    // Sends the window-activation event to a window, as the desktop does when it comes to
    // the front.
    static void activate(QWidget& window) {
        QEvent event(QEvent::WindowActivate);
        QCoreApplication::sendEvent(&window, &event);
    }
};

}  // namespace keyrelay::test
