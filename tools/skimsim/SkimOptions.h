#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace keyrelay {

// Command-line options of skimsim.
struct SkimOptions {
    quint16 port = 7300;        // 0: any free port (printed on stdout)
    double spotsPerMinute = 0;  // 0: spots only on the "spot" command
    QString logPath;            // empty: no log
    int dropAfter = 0;          // close a client after this many QSY commands (0: never)
    QString call = QStringLiteral("SKIMSIM");  // the spotter's call in spot lines
    double startKHz = 14025;                   // frequency before the first QSY command
    int maxLineLength = 1024;                  // longer lines are dropped (bytes)
    int maxClients = 8;

    // Parses the arguments after the program name. Nothing, with the reason in *error,
    // on an unknown option or a bad value.
    static std::optional<SkimOptions> parse(const QStringList& args, QString* error);
    static QString usage();
};

}  // namespace keyrelay
