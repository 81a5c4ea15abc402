#include "telnet/TerminalGeometry.h"

#include <QStringList>
#include <algorithm>
#include <cmath>
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

QList<double> TerminalGeometry::keptOnScreen(QList<double> values, const QRect& available,
                                             const QSize& design) {
    // A size of the file in range, else the design size (also when the file gives none).
    auto size = [&](qsizetype index, int smallest, int areaSize, int designSize) {
        if (index >= values.size()) {
            return double(designSize);
        }
        const double v = values.at(index);
        if (!std::isfinite(v) || v < smallest || v > areaSize) {
            values[index] = designSize;
        }
        return values.at(index);
    };
    const double height = size(2, SmallestHeightTwips, available.height(), design.height());
    const double width = size(3, SmallestWidthTwips, available.width(), design.width());
    // The title bar, at the top of the window, must lie on the area; each coordinate out
    // of range is taken to the middle.
    if (!values.isEmpty()) {
        const double top = values.at(0);
        if (!std::isfinite(top) || top < available.top() ||
            top >= available.bottom() - BottomMarginTwips) {
            values[0] = available.top() + (available.height() - height) / 2;
        }
    }
    if (values.size() > 1) {
        const double left = values.at(1);
        if (!std::isfinite(left) || left <= available.left() - width + SmallestWidthTwips / 2.0 ||
            left >= available.right() - SmallestWidthTwips / 2.0) {
            values[1] = available.left() + (available.width() - width) / 2;
        }
    }
    return values;
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
