#pragma once

#include "ui/ProgramWindow.h"

class QPlainTextEdit;
class QPushButton;

namespace keyrelay {

// "Help" for the command pad: setup files, the target title, the repeat period and the
// keystroke notation.
class HlpF : public ProgramWindow {
    Q_OBJECT
public:
    static constexpr const char* Name = "HlpF";

    explicit HlpF(AppContext& context);

    // The stored help text.
    static QString helpText();

    QPlainTextEdit* Text1 = nullptr;
    QPushButton* Command1 = nullptr;  // "Close"
};

}  // namespace keyrelay
