#include "core/FileNames.h"

#include <QDir>
#include <QFileInfo>

namespace keyrelay {

QString FileNames::findIgnoringCase(const QString& folder, const QString& name) {
    if (name.isEmpty()) {
        return {};
    }
    const QDir dir(folder.isEmpty() ? QStringLiteral(".") : folder);
    const auto pathOf = [&](const QString& entry) {
        return folder.isEmpty() ? entry : dir.filePath(entry);
    };

    const QFileInfo exact(dir.filePath(name));
    if (exact.exists() && !exact.isDir()) {
        return pathOf(name);
    }
    const QStringList entries =
        dir.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    for (const QString& entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0) {
            return pathOf(entry);
        }
    }
    return {};
}

}  // namespace keyrelay
