#include <QApplication>
#include <QString>
#include <cstdio>
#include <memory>

#include "app/Application.h"
#include "app/CommandLine.h"
#include "app/CompanionFolder.h"
#include "platform/NativeServices.h"
#include "platform/PlatformError.h"

namespace {

keyrelay::Application* running = nullptr;
QtMessageHandler qtOutput = nullptr;

// Qt ends the process (exit(1)) right after saying that its X11 connection broke, both when
// its own connection fails and when the desktop services' Xlib connection does (Qt's Xlib
// error handler serves every connection of the process). Saying it is the last moment at
// which the settings can be saved.
void watchQtMessages(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (qtOutput != nullptr) {
        qtOutput(type, context, text);
    }
    if (running != nullptr && text.startsWith(QLatin1String("The X11 connection broke"))) {
        keyrelay::Application* application = running;
        running = nullptr;  // once
        application->endWithoutUser();
    }
}

}  // namespace

int main(int argc, char* argv[]) {
    // The desktop is connected before Qt starts: without a display Qt would abort, while
    // this way the user reads why the program cannot run.
    std::unique_ptr<keyrelay::NativeServices> native;
    try {
        native = keyrelay::createNativeServices();
    } catch (const keyrelay::PlatformError& e) {
        std::fprintf(stderr, "keyrelay: cannot start: %s (error %ld)\n", e.description().c_str(),
                     e.number());
        return 1;
    }

    QApplication app(argc, argv);
    // Closing the main window ends the program by itself; no other window may end it.
    QApplication::setQuitOnLastWindowClosed(false);

    keyrelay::Application application(std::move(native));
    running = &application;
    qtOutput = qInstallMessageHandler(&watchQtMessages);
    application.start(keyrelay::CommandLine::argumentText(QApplication::arguments().mid(1)),
                      keyrelay::CompanionFolder::forProgram(QApplication::applicationFilePath()));
    // An end asked for before the event loop runs would be lost in it.
    if (application.endRequested()) {
        running = nullptr;
        return application.exitStatus();
    }
    const int status = QApplication::exec();
    running = nullptr;
    return status;
}
