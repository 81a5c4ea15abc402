#include "launcher/LaunchRules.h"

#include <algorithm>
#include <cmath>

#include "core/TextValue.h"

namespace keyrelay {

namespace {

constexpr double MaxWaitMs = 365.0 * 24 * 3600 * 1000;

qsizetype lastSeparator(QStringView path) {
    return std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
}

}  // namespace

bool LaunchRules::hasSeparator(QStringView path) {
    return lastSeparator(path) >= 0;
}

QString LaunchRules::folderOf(QStringView path) {
    const qsizetype at = lastSeparator(path);
    return at < 0 ? QString() : localPath(path.left(at + 1));
}

QString LaunchRules::fileOf(QStringView path) {
    return path.mid(lastSeparator(path) + 1).left(MaxFileNameLength).toString();
}

QString LaunchRules::localPath(QStringView path) {
    QString local = path.toString();
    local.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return local;
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
