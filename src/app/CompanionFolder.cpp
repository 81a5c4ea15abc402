#include "app/CompanionFolder.h"

#include <QDir>
#include <QFileInfo>

#include "core/HostSystem.h"
#include "launcher/LaunchRules.h"

namespace keyrelay {

namespace {

// Keyrelay's install path and LDK's folder on Windows, checked in this order.
constexpr std::pair<const char*, const char*> WindowsInstalls[] = {
    {"c:\\program files (x86)\\keyrelay\\keyrelay.exe", "C:\\program files (x86)\\logdeck\\"},
    {"c:\\program files\\keyrelay\\keyrelay.exe", "C:\\program files\\logdeck\\"},
};

// LDK's folder inside a Wine prefix, as LDK's installer names it, in the order of the
// Windows rule.
constexpr const char* WineFolders[] = {
    "C:\\Program Files (x86)\\logdeck\\",
    "C:\\Program Files\\logdeck\\",
};

}  // namespace

QString CompanionFolder::forWindows(const std::function<bool(const QString&)>& fileExists) {
    for (const auto& [program, folder] : WindowsInstalls) {
        if (fileExists(QString::fromLatin1(program))) {
            return QString::fromLatin1(folder);
        }
    }
    return {};
}

QString CompanionFolder::forLinux(const QString& programPath, const QString& winePrefix) {
    const QString path = QDir::cleanPath(programPath);
    if (path != QLatin1String("/opt/keyrelay/bin/keyrelay") &&
        path != QLatin1String("/usr/bin/keyrelay")) {
        return {};
    }
    if (!winePrefix.isEmpty()) {
        for (const char* folder : WineFolders) {
            // The drive as Wine maps it, each part in the letter case found on disk; shown
            // to the user as the real folder (drive_c, not the drive's link).
            const QFileInfo found(LaunchRules::hostPath(QString::fromLatin1(folder), winePrefix));
            if (found.isDir()) {
                return found.canonicalFilePath() + QLatin1Char('/');
            }
        }
    }
    return QString::fromLatin1(SharedFolder);
}

QString CompanionFolder::forThisProgram(const QString& programPath) {
    if (HostSystem::windows()) {
        return forWindows([](const QString& file) { return QFileInfo::exists(file); });
    }
    QString prefix = qEnvironmentVariable("WINEPREFIX");
    if (prefix.isEmpty()) {
        prefix = QDir::homePath() + QStringLiteral("/.wine");
    }
    return forLinux(programPath, prefix);
}

}  // namespace keyrelay
