#include "SkimOptions.h"

namespace keyrelay {

namespace {

bool number(const QString& text, double low, double high, double* out) {
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok || value < low || value > high) {
        return false;
    }
    *out = value;
    return true;
}

}  // namespace

QString SkimOptions::usage() {
    return QStringLiteral(
        "usage: skimsim [--port N] [--spots-per-minute R] [--log FILE] [--drop-after N]\n"
        "               [--call CALL] [--freq KHZ] [--max-line BYTES]\n"
        "Stand-in for the decoder's telnet server, on 127.0.0.1 only. Prints the port it\n"
        "listens on as its first line (--port 0 picks a free one).\n"
        "Commands on standard input: spot [KHZ] | send TEXT | drop | quit\n");
}

std::optional<SkimOptions> SkimOptions::parse(const QStringList& args, QString* error) {
    SkimOptions options;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& name = args.at(i);
        if (name == QLatin1String("--help") || name == QLatin1String("-h")) {
            *error = usage();
            return std::nullopt;
        }
        if (i + 1 >= args.size()) {
            *error = QStringLiteral("%1: missing value or unknown option").arg(name);
            return std::nullopt;
        }
        const QString& value = args.at(++i);
        double v = 0;
        if (name == QLatin1String("--port") && number(value, 0, 65535, &v)) {
            options.port = static_cast<quint16>(v);
        } else if (name == QLatin1String("--spots-per-minute") && number(value, 0, 6000, &v)) {
            options.spotsPerMinute = v;
        } else if (name == QLatin1String("--log")) {
            options.logPath = value;
        } else if (name == QLatin1String("--drop-after") && number(value, 0, 1e9, &v)) {
            options.dropAfter = static_cast<int>(v);
        } else if (name == QLatin1String("--call") && !value.isEmpty() && value.size() <= 12) {
            options.call = value.toUpper();
        } else if (name == QLatin1String("--freq") && number(value, 1, 1e7, &v)) {
            options.startKHz = v;
        } else if (name == QLatin1String("--max-line") && number(value, 16, 1 << 20, &v)) {
            options.maxLineLength = static_cast<int>(v);
        } else {
            *error = QStringLiteral("%1 %2: unknown option or bad value").arg(name, value);
            return std::nullopt;
        }
    }
    return options;
}

}  // namespace keyrelay
