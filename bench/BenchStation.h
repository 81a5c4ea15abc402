#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QLatin1Char>
#include <QTemporaryDir>

#include "app/ProgramActions.h"
#include "core/ProgramState.h"
#include "core/QtClock.h"
#include "delivery/BusyMarker.h"
#include "delivery/Delivery.h"
#include "fakes/FakePlatform.h"
#include "sweep/QsySweep.h"
#include "telnet/TerminalF.h"
#include "ui/AppContext.h"
#include "ui/WindowRegistry.h"

namespace keyrelay {

// One program with its sweep window in the benchmark's process, on the fake desktop but the
// real clock, so the sockets and the event loop are the program's own.
struct BenchStation {
    QTemporaryDir folder;
    FakePlatform fake;
    QtClock clock;
    Platform platform{fake.windows, fake.standardKeys, fake.alternateKeys,
                      fake.mouse,   fake.processes,    clock,
                      fake.dialogs};
    ProgramState state;
    Delivery delivery{platform};
    BusyMarker marker{state};
    WindowRegistry windows;
    ProgramActions actions{windows};
    AppContext ctx{state,   platform, delivery,      marker,
                   windows, actions,  folder.path(), [this] { state.EndRequested = true; }};

    BenchStation() {
        state.LogdeckFolder = folder.path() + QLatin1Char('/');
        windows.setContext(ctx);
    }
    ~BenchStation() {
        delete windows.ifLoaded<TerminalF>();
        delete windows.ifLoaded<QsySweep>();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};

}  // namespace keyrelay
