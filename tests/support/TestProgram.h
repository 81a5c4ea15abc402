#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QTemporaryDir>
#include <functional>

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
