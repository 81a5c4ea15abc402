#include "launcher/LaunchListFile.h"

#include <limits>

#include "core/FileNames.h"
#include "core/LineFile.h"
#include "core/TextValue.h"

namespace keyrelay {

namespace {

constexpr int PathLines = 0;  // rows' path and wait, two lines each
constexpr int IncludeLines = 12;
constexpr int MinimizeLines = 18;
constexpr int OffsetLine = 24;
constexpr int ParamLines = 25;

bool markOf(const QString& line) {
    return TextValue::roundHalfEven(TextValue::numeric(line)) == 1.0;
}

std::optional<std::int16_t> offsetOf(const QString& line) {
    const double value = TextValue::roundHalfEven(TextValue::numeric(line));
    if (value < std::numeric_limits<std::int16_t>::min() ||
        value > std::numeric_limits<std::int16_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::int16_t>(value);
}

// A text value on one line: a line break typed or pasted into a field would otherwise
// shift every later value of the file by a line.
QString oneLine(QString text) {
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}

QString markText(bool checked) {
    return TextValue::settingsNumber(checked ? 1 : 0);
}

}  // namespace

void LaunchListFile::apply(const QStringList& lines, LaunchList& list) {
    list = LaunchList{};
    const auto has = [&](int index) { return index < lines.size(); };
    for (int i = 0; i < LaunchList::Rows; ++i) {
        if (!has(PathLines + 2 * i)) {
            return;
        }
        list.rows[i].path = lines[PathLines + 2 * i];
        if (!has(PathLines + 2 * i + 1)) {
            return;
        }
        list.rows[i].wait = lines[PathLines + 2 * i + 1];
    }
    for (int i = 0; i < LaunchList::Rows; ++i) {
        if (!has(IncludeLines + i)) {
            return;
        }
        list.rows[i].include = markOf(lines[IncludeLines + i]);
    }
    for (int i = 0; i < LaunchList::Rows; ++i) {
        if (!has(MinimizeLines + i)) {
            return;
        }
        list.rows[i].minimize = markOf(lines[MinimizeLines + i]);
    }
    if (!has(OffsetLine)) {
        return;
    }
    list.clickOffset = offsetOf(lines[OffsetLine]);
    for (int i = 0; i < LaunchList::Rows; ++i) {
        if (!has(ParamLines + i)) {
            return;
        }
        list.rows[i].param = lines[ParamLines + i];
    }
}

QStringList LaunchListFile::lines(const LaunchList& list) {
    QStringList lines;
    lines.reserve(LineCount);
    for (const LaunchRow& row : list.rows) {
        lines << oneLine(row.path) << oneLine(row.wait);
    }
    for (const LaunchRow& row : list.rows) {
        lines << markText(row.include);
    }
    for (const LaunchRow& row : list.rows) {
        lines << markText(row.minimize);
    }
    lines << TextValue::settingsNumber(list.clickOffset.value_or(DefaultClickOffset));
    for (const LaunchRow& row : list.rows) {
        lines << oneLine(row.param);
    }
    return lines;
}

std::int16_t LaunchListFile::effectiveClickOffset(const std::optional<std::int16_t>& fromFile,
                                                  std::int16_t current) {
    const std::int16_t offset = fromFile.value_or(current);
    return offset == 0 ? DefaultClickOffset : offset;
}

}  // namespace keyrelay
