#include "telnet/TerminalGeometry.h"

#include <QStringList>

#include "core/TextValue.h"

namespace keyrelay {

namespace {
constexpr int Values = 4;
}  // namespace

void TerminalGeometry::apply(const QStringList& lines, QList<double>& values) {
    values.clear();
    for (qsizetype i = 0; i < lines.size() && i < Values; ++i) {
        values.append(TextValue::numeric(lines.at(i)));
    }
}

QStringList TerminalGeometry::lines(const QList<double>& values) {
    QStringList out;
    for (const double v : values) {
        out << TextValue::settingsNumber(static_cast<long long>(v));
    }
    return out;
}

}  // namespace keyrelay
