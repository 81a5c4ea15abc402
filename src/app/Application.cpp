#include "app/Application.h"

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <cstdio>
#include <vector>

#include "cmdpad/CmdPadF.h"

namespace keyrelay {

Application::Application(std::unique_ptr<NativeServices> native)
    : native_(std::move(native)),
      platform_{native_->windows(),
                native_->standardKeys(),
                native_->alternateKeys(),
                native_->mouse(),
                native_->processes(),
                clock_,
                dialogs_},
      delivery_(platform_),
      marker_(state_),
      ctx_{state_,   platform_, delivery_, marker_,
           windows_, actions_,  QString(), [this] { endProgram(); }} {
    windows_.setContext(ctx_);
}

Application::~Application() {
    // The windows still loaded go without their closing work (the program was asked to end
    // at once), while the context they use still exists; those already closed go first.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    std::vector<QPointer<ProgramWindow>> left;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* window = qobject_cast<ProgramWindow*>(w)) {
            left.emplace_back(window);
        }
    }
    for (const QPointer<ProgramWindow>& window : left) {
        delete window.data();
    }
}

void Application::endProgram() {
    if (state_.EndRequested) {
        return;
    }
    state_.EndRequested = true;
    std::fflush(nullptr);
    // Every event loop returns, the nested waits of a handler under way included, and no
    // nested loop runs again: waits return at once and nothing more is typed, so a
    // handler under way finishes without starting anything, and main() returns.
    clock_.stopWaiting();
    delivery_.stop();
    QCoreApplication::exit(exitStatus());
}

void Application::endWithoutUser() {
    if (state_.EndRequested || state_.NoOneToAsk) {
        return;
    }
    state_.NoOneToAsk = true;
    // A question on the screen would hold the end for ever: it is answered No, and the work
    // that asked it goes on (when it is the closing work, it saves the rest).
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* dialog = qobject_cast<QDialog*>(w); dialog != nullptr && dialog->isVisible()) {
            dialog->reject();
        }
    }
    // The main window's closing work unloads the other windows (each saves its file),
    // saves the setup file and ends the program; when it is already under way, it does so.
    // The main window is loaded until the program ends.
    if (CmdPadF* pad = windows_.ifLoaded<CmdPadF>()) {
        pad->close();
    }
}

CmdPadF& Application::start(const QString& argumentText, const QString& logdeckFolder) {
    state_.LogdeckFolder = logdeckFolder;
    CmdPadF& pad = windows_.get<CmdPadF>();
    pad.openWith(argumentText);
    pad.show();
    return pad;
}

}  // namespace keyrelay
