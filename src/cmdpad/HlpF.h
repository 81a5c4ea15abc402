#pragma once

#include "ui/TextWindow.h"

namespace keyrelay {

// "Help" for the command pad: setup files, the target title, the repeat period and the
// keystroke notation, with the paths of the system it runs on and the busy marker's folder
// this copy uses (a wrong one silently disables the handshake).
class HlpF : public TextWindow {
    Q_OBJECT
public:
    static constexpr const char* Name = "HlpF";

    explicit HlpF(AppContext& context);

    // The help text for Windows (`windows`) or Linux, naming the busy marker's folder
    // `logdeckFolder` (empty: the working folder).
    static QString helpText(bool windows, const QString& logdeckFolder);
};

}  // namespace keyrelay
