#include "launcher/LaunchRules.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <cmath>

#include "core/TextValue.h"

namespace keyrelay {

namespace {

constexpr double MaxWaitMs = 365.0 * 24 * 3600 * 1000;

qsizetype lastSeparator(QStringView path) {
    return std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
}

QString withSlashes(QStringView path) {
    QString local = path.toString();
    local.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return local;
}

bool startsWithDrive(QStringView path) {
    return path.size() >= 2 && path[1] == QLatin1Char(':') && path[0].isLetter() &&
           path[0].unicode() < 0x80;
}

// `root` followed by the parts of `rest`, each spelled as an existing entry of its folder
// that matches it ignoring letter case, when it does not exist as written.
QString matchingCase(QString path, QStringView rest) {
    for (QStringView part : rest.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        QString next = path + QLatin1Char('/') + part.toString();
        if (!QFileInfo::exists(next)) {
            const QStringList entries =
                QDir(path).entryList(QDir::AllEntries | QDir::Hidden | QDir::System);
            for (const QString& entry : entries) {
                if (entry.compare(part, Qt::CaseInsensitive) == 0) {
                    next = path + QLatin1Char('/') + entry;
                    break;
                }
            }
        }
        path = next;
    }
    return rest.isEmpty() || rest.endsWith(QLatin1Char('/')) ? path + QLatin1Char('/') : path;
}

}  // namespace

bool LaunchRules::hasSeparator(QStringView path) {
    return lastSeparator(path) >= 0;
}

QString LaunchRules::folderOf(QStringView path) {
    const qsizetype at = lastSeparator(path);
    return at < 0 ? QString() : withSlashes(path.left(at + 1));
}

QString LaunchRules::fileOf(QStringView path) {
    return path.mid(lastSeparator(path) + 1).left(MaxFileNameLength).toString();
}

QString LaunchRules::hostPath(QStringView path, const QString& winePrefix) {
    if (winePrefix.isEmpty() || !startsWithDrive(path)) {
        return withSlashes(path);
    }
    const QString drive =
        winePrefix + QStringLiteral("/dosdevices/") + path[0].toLower() + QLatin1Char(':');
    return matchingCase(drive, withSlashes(path.mid(2)));
}

bool LaunchRules::isSkimmer(QStringView path) {
    return path.contains(QLatin1String(SkimmerName), Qt::CaseInsensitive);
}

bool LaunchRules::isReceiver(QStringView path) {
    return path.contains(QLatin1String(ReceiverName), Qt::CaseInsensitive);
}

bool LaunchRules::startsMinimized(QStringView path, bool minimizeChecked) {
    return minimizeChecked && !isSkimmer(path) && !isReceiver(path);
}

std::int64_t LaunchRules::waitMs(QStringView text) {
    const double ms = TextValue::numeric(text) * 1000.0;
    if (!(ms > 0)) {
        return 0;
    }
    return static_cast<std::int64_t>(std::llround(std::min(ms, MaxWaitMs)));
}

}  // namespace keyrelay
