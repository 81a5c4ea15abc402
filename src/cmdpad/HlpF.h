#pragma once

#include "ui/TextWindow.h"

namespace keyrelay {

// "Help" for the command pad: setup files, the target title, the repeat period and the
// keystroke notation.
class HlpF : public TextWindow {
    Q_OBJECT
public:
    static constexpr const char* Name = "HlpF";

    explicit HlpF(AppContext& context);

    // The stored help text.
    static QString helpText();
};

}  // namespace keyrelay
