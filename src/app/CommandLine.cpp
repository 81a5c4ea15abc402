#include "app/CommandLine.h"

namespace keyrelay {

QString CommandLine::argumentText(const QStringList& argumentsAfterProgram) {
    return argumentsAfterProgram.join(QLatin1Char(' '));
}

}  // namespace keyrelay
