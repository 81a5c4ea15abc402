#pragma once

#include <QString>
#include <memory>

#include "app/EndSignals.h"
#include "app/ProgramActions.h"
#include "core/ProgramState.h"
#include "core/QtClock.h"
#include "delivery/BusyMarker.h"
#include "delivery/Delivery.h"
#include "platform/NativeServices.h"
#include "platform/Platform.h"
#include "ui/AppContext.h"
#include "ui/QtDialogs.h"
#include "ui/WindowRegistry.h"

namespace keyrelay {

class CmdPadF;

// The running program: its state, the desktop services, the delivery operations and the
// window registry, tied together into the context every window is handed. Settings files
// live in the working folder. Ending the program (closing the main window, "Yes" to the
// launcher's closing question) sets EndRequested, flushes the output streams and leaves the
// event loop once the handler under way has returned; no further closing work runs. The
// exit status is 0, or 1 when a settings file could not be written at the end (the user
// was told which and why), so a script that ends the program learns that edits were lost.
// SIGTERM, SIGINT and SIGHUP close the main window as the user would (endWithoutUser).
// The windows still loaded are deleted with the application object.
class Application {
public:
    // `native`: the desktop's services, already connected (createNativeServices()).
    explicit Application(std::unique_ptr<NativeServices> native);
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;
    ~Application();

    // Opens the main window as at program start and shows it (collapsed):
    // `argumentText` names the setup file, `logdeckFolder` is where the busy marker
    // lives (empty: the working folder).
    CmdPadF& start(const QString& argumentText, const QString& logdeckFolder);

    AppContext& context() { return ctx_; }
    // The program has been asked to end (also before the event loop runs).
    bool endRequested() const { return state_.EndRequested; }
    // What main() returns once the program has ended.
    int exitStatus() const { return state_.SettingsNotSaved ? 1 : 0; }

    // Ends the program as closing the main window does, with no one at the screen (a
    // signal, a lost display): a question already shown is answered No, later ones are
    // answered No on standard error, failures are told there too; every window saves its
    // settings file. Nothing happens when the program is already ending.
    void endWithoutUser();

private:
    void endProgram();

    ProgramState state_;
    std::unique_ptr<NativeServices> native_;
    QtClock clock_;
    QtDialogs dialogs_{state_};
    Platform platform_;
    Delivery delivery_;
    BusyMarker marker_;
    WindowRegistry windows_;
    ProgramActions actions_{windows_};
    AppContext ctx_;
    EndSignals endSignals_{[this] { endWithoutUser(); }};
};

}  // namespace keyrelay
