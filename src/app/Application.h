#pragma once

#include <QString>
#include <memory>

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
// event loop with status 0 once the handler under way has returned; no further closing
// work runs. The windows still loaded are deleted with the application object.
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

private:
    void endProgram();

    ProgramState state_;
    std::unique_ptr<NativeServices> native_;
    QtClock clock_;
    QtDialogs dialogs_;
    Platform platform_;
    Delivery delivery_;
    BusyMarker marker_;
    WindowRegistry windows_;
    ProgramActions actions_{windows_};
    AppContext ctx_;
};

}  // namespace keyrelay
