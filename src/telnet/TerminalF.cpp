#include "telnet/TerminalF.h"

namespace keyrelay {

TerminalF::TerminalF(AppContext& context) : ProgramWindow(context, Name) {
    setWindowTitle(QStringLiteral("Read Only Terminal"));
}

void TerminalF::appendChunk(const QString&) {}

}  // namespace keyrelay
