#include "app/CommandLine.h"

namespace keyrelay {

bool CommandLine::takeSettingsFolderSwitch(QStringList& argumentsAfterProgram) {
    if (argumentsAfterProgram.isEmpty() ||
        argumentsAfterProgram.front() != QLatin1String(SettingsFolderSwitch)) {
        return false;
    }
    argumentsAfterProgram.removeFirst();
    return true;
}

QString CommandLine::argumentText(const QStringList& argumentsAfterProgram) {
    return argumentsAfterProgram.join(QLatin1Char(' '));
}

}  // namespace keyrelay
