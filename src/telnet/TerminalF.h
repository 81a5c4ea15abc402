#pragma once

#include <QString>

#include "app/ProgramWindow.h"

namespace keyrelay {

// The read-only terminal that shows what the decoder's telnet server sends. (Skeleton:
// the members other windows use.)
class TerminalF : public ProgramWindow {
    Q_OBJECT
public:
    static constexpr const char* Name = "TerminalF";

    explicit TerminalF(AppContext& context);

    // Appends one received chunk.
    void appendChunk(const QString& chunk);
};

}  // namespace keyrelay
