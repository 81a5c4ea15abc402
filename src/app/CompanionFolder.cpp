#include "app/CompanionFolder.h"

#include <QDir>

namespace keyrelay {

QString CompanionFolder::forProgram(const QString& programPath) {
    const QString path = QDir::cleanPath(programPath);
    if (path == QLatin1String("/opt/keyrelay/bin/keyrelay") ||
        path == QLatin1String("/usr/bin/keyrelay")) {
        return QString::fromLatin1(SharedFolder);
    }
    return {};
}

}  // namespace keyrelay
