#include "core/HostSystem.h"

#include <QOperatingSystemVersion>
#include <QStandardPaths>

namespace keyrelay {

bool HostSystem::windows() {
    return QOperatingSystemVersion::currentType() == QOperatingSystemVersion::Windows;
}

QString HostSystem::installedProgram(bool windows) {
    return windows ? QStringLiteral("\"C:\\program files (x86)\\keyrelay\\keyrelay.exe\"")
                   : QStringLiteral("/usr/bin/keyrelay");
}

QString HostSystem::settingsPlace(bool windows) {
    return windows ? QStringLiteral(
                         "the folder Keyrelay is started from (a shortcut's \"Start in\" folder)")
                   : QStringLiteral(
                         "the folder Keyrelay is started from; started from the desktop menu, "
                         "~/.local/share/keyrelay");
}

QString HostSystem::menuSettingsFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/keyrelay");
}

}  // namespace keyrelay
