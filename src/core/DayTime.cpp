#include "core/DayTime.h"

#include <algorithm>

#include "core/TextValue.h"

namespace keyrelay {

namespace {

// Characters `from` to `from + count - 1` (0-based), as far as the text reaches.
QStringView part(QStringView text, qsizetype from, qsizetype count) {
    if (from >= text.size()) {
        return {};
    }
    return text.sliced(from, std::min(count, text.size() - from));
}

}  // namespace

int DayTime::minutesOf(QStringView text) {
    const double hours = TextValue::numeric(part(text, 0, 2));
    const double minutes = TextValue::numeric(part(text, 3, 2));
    // Two characters each, so the value stays far inside an int ("-9:-9" to "99:99").
    return static_cast<int>(TextValue::roundHalfEven(60 * hours + minutes));
}

}  // namespace keyrelay
