// skimsim: a stand-in for the CW decoder's telnet server, for tests and dry runs.
#include <unistd.h>
#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTextStream>
#include <cstdio>

#include "SkimOptions.h"
#include "SkimServer.h"

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QString error;
    const std::optional<keyrelay::SkimOptions> options =
        keyrelay::SkimOptions::parse(app.arguments().mid(1), &error);
    if (!options) {
        QTextStream(stderr) << error << "\n";
        return 2;
    }
    keyrelay::SkimServer server(*options);
    if (!server.start(&error)) {
        QTextStream(stderr) << "skimsim: " << error << "\n";
        return 1;
    }
    // First thing on stdout: the port, so that a test can read which one was picked.
    std::printf("%u\n", static_cast<unsigned>(server.port()));
    std::fflush(stdout);
    QObject::connect(&server, &keyrelay::SkimServer::quitRequested, &app, &QCoreApplication::quit);

    // Commands on standard input, one a line; lines are capped like the clients' lines.
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QByteArray pending;
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char buffer[512];
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n <= 0) {
            // End of input (or none at all, as under CI): keep serving.
            input.setEnabled(false);
            return;
        }
        for (ssize_t i = 0; i < n; ++i) {
            if (buffer[i] == '\n') {
                server.command(QString::fromLatin1(pending));
                pending.clear();
            } else if (pending.size() < 4096) {
                pending.append(buffer[i]);
            }
        }
    });
    return app.exec();
}
