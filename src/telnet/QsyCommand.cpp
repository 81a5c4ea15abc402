#include "telnet/QsyCommand.h"

#include "core/FrequencyText.h"

namespace keyrelay {

QString QsyCommand::of(double kHz) {
    return QLatin1String(Prefix) + FrequencyText::of(kHz);
}

}  // namespace keyrelay
