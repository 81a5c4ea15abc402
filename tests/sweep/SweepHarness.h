#pragma once

#include <QStringList>
#include <QTemporaryDir>
#include <string>
#include <vector>

#include "app/ProgramActions.h"
#include "cmdpad/CmdPadF.h"
#include "core/ProgramState.h"
#include "delivery/BusyMarker.h"
#include "delivery/Delivery.h"
#include "fakes/FakePlatform.h"
#include "sweep/QsySweep.h"
#include "ui/AppContext.h"
#include "ui/WindowRegistry.h"

namespace keyrelay {

// One program on the fake desktop: its state, the delivery operations, the busy marker
// and the window registry, with the settings files and the marker in a temporary folder.
// The main window's one-second tick runs on the virtual clock once the main window is
// loaded (pad()).
class SweepHarness {
public:
    SweepHarness();
    ~SweepHarness();

    QsySweep& sweep() { return windows.get<QsySweep>(); }
    CmdPadF& pad() { return windows.get<CmdPadF>(); }

    // Fills line `n` of the sweep table and includes it.
    void setLine(int n, const char* start, const char* end, const char* inc, const char* dwell);
    // The keystroke strings typed so far, in order, and when.
    std::vector<std::string> typed() const { return fake.standardKeys.keys(); }
    std::vector<std::int64_t> typedAt() const;
    // The strings typed that are frequencies (start with a digit).
    std::vector<std::string> frequencies() const;
    std::vector<std::int64_t> frequenciesAt() const;
    const std::vector<std::string>& messages() const { return fake.dialogs.messages(); }

    // Advances virtual time by whole seconds, firing the ticks due meanwhile.
    void seconds(int n) { fake.clock.advance(static_cast<std::int64_t>(n) * 1000); }
    // Runs `f` once, `ms` from now, from a timer on the virtual clock (inside whatever
    // wait is running then).
    void at(std::int64_t ms, std::function<void()> f);

    QString folder() const { return dir.path(); }

    QTemporaryDir dir;
    FakePlatform fake;
    ProgramState state;
    Delivery delivery;
    BusyMarker marker;
    WindowRegistry windows;
    AppContext ctx;
    ProgramActions actions;
};

}  // namespace keyrelay
