#include "telnet/TerminalGeometry.h"

#include <QStringList>
#include <algorithm>
#include <limits>

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
        // A file edited by hand can hold numbers far beyond any window ("1D200"); they are
        // written as the nearest that a window coordinate can be.
        const double whole = std::clamp(v, double(std::numeric_limits<int>::min()),
                                        double(std::numeric_limits<int>::max()));
        out << TextValue::settingsNumber(static_cast<long long>(whole));
    }
    return out;
}

}  // namespace keyrelay
