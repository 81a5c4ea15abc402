#include <QApplication>
#include <cstdio>
#include <memory>

#include "app/Application.h"
#include "app/CommandLine.h"
#include "app/CompanionFolder.h"
#include "platform/NativeServices.h"
#include "platform/PlatformError.h"

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
    application.start(keyrelay::CommandLine::argumentText(QApplication::arguments().mid(1)),
                      keyrelay::CompanionFolder::forProgram(QApplication::applicationFilePath()));
    // An end asked for before the event loop runs would be lost in it.
    if (application.endRequested()) {
        return 0;
    }
    return QApplication::exec();
}
