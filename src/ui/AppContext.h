#pragma once

#include <functional>

#include "core/ProgramState.h"
#include "delivery/BusyMarker.h"
#include "delivery/Delivery.h"
#include "platform/Platform.h"

namespace keyrelay {

class WindowActions;
class WindowRegistry;

// What every window is handed: the program-wide state, the desktop services, and the
// registry through which it reaches the other windows.
struct AppContext {
    ProgramState& state;
    Platform& platform;
    Delivery& delivery;
    BusyMarker& marker;
    WindowRegistry& windows;
    // What a window asks of another window (start the sweep, run the launch, ...).
    WindowActions& actions;
    // The folder the settings files live in (the working folder in the program, a
    // temporary folder in tests). Paths are built as folder + "/" + name.
    QString settingsFolder;
    // Ends the whole program without any further window's closing work ("Yes" to "Do you
    // want to close the program", the end of the main window's closing work): sets
    // state.EndRequested and leaves the event loop once the handler under way has returned.
    // It returns, so its caller checks EndRequested and starts nothing after it.
    std::function<void()> endProgram;

    // The path of a settings file in the settings folder.
    QString settingsPath(const QString& name) const {
        return settingsFolder.isEmpty() ? name : settingsFolder + QLatin1Char('/') + name;
    }
};

}  // namespace keyrelay
