#include "telnet/TelnetChunk.h"

#include <QString>

namespace keyrelay {

TelnetChunk::Kind TelnetChunk::classify(QStringView chunk) {
    const QString upper = chunk.toString().toUpper();
    if (upper.contains(QLatin1String("CALLSIGN"))) {
        return Kind::LoginPrompt;
    }
    if (upper.contains(QLatin1String("DX "))) {
        return Kind::Spot;
    }
    if (upper.contains(QLatin1String("CLICKED"))) {
        return Kind::ClickReport;
    }
    return Kind::Other;
}

}  // namespace keyrelay
