#include "telnet/TerminalGeometry.h"

#include <QStringList>
#include <optional>

#include "core/FileNames.h"
#include "core/LineFile.h"
#include "core/TextValue.h"

namespace keyrelay {

namespace {
constexpr int Values = 4;

QString pathIn(const QString& folder, const QString& name) {
    return folder.isEmpty() ? name : folder + QLatin1Char('/') + name;
}
}  // namespace

QList<double> TerminalGeometry::read(const QString& folder) {
    QList<double> values;
    const QString path = FileNames::findIgnoringCase(folder, QString::fromLatin1(FileName));
    if (path.isEmpty()) {
        return values;
    }
    const std::optional<QStringList> lines = LineFile::read(path);
    if (!lines) {
        return values;
    }
    for (qsizetype i = 0; i < lines->size() && i < Values; ++i) {
        values.append(TextValue::numeric(lines->at(i)));
    }
    return values;
}

bool TerminalGeometry::write(const QString& folder, int top, int left, int height, int width) {
    QString path = FileNames::findIgnoringCase(folder, QString::fromLatin1(FileName));
    if (path.isEmpty()) {
        path = pathIn(folder, QString::fromLatin1(FileName));
    }
    return LineFile::write(path,
                           {TextValue::settingsNumber(top), TextValue::settingsNumber(left),
                            TextValue::settingsNumber(height), TextValue::settingsNumber(width)});
}

}  // namespace keyrelay
