#include <QApplication>
#include <QDir>
#include <QString>
#include <cstdio>
#include <memory>

#include "app/Application.h"
#include "app/CommandLine.h"
#include "app/CompanionFolder.h"
#include "core/HostSystem.h"
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

    QStringList arguments = QApplication::arguments().mid(1);
    if (keyrelay::CommandLine::takeSettingsFolderSwitch(arguments)) {
        // A menu start: the settings folder becomes the working folder, so every file the
        // program reads and writes by name goes there, as if started from it.
        const QString folder = keyrelay::HostSystem::menuSettingsFolder();
        if (!QDir().mkpath(folder) || !QDir::setCurrent(folder)) {
            std::fprintf(stderr, "keyrelay: cannot use the settings folder %s\n",
                         qPrintable(QDir::toNativeSeparators(folder)));
        }
    }

    keyrelay::Application application(std::move(native));
    running = &application;
    qtOutput = qInstallMessageHandler(&watchQtMessages);
    application.start(
        keyrelay::CommandLine::argumentText(arguments),
        keyrelay::CompanionFolder::forThisProgram(QApplication::applicationFilePath()));
    // An end asked for before the event loop runs would be lost in it.
    if (application.endRequested()) {
        running = nullptr;
        return application.exitStatus();
    }
    const int status = QApplication::exec();
    running = nullptr;
    return status;
}
