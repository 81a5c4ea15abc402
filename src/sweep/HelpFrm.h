#pragma once

#include <QString>

#include "ui/TextWindow.h"

namespace keyrelay {

// The sweep window's help: a read-only, scrolling text and a "Close" button.
class HelpFrm : public TextWindow {
    Q_OBJECT
public:
    static constexpr const char* Name = "HelpFrm";

    explicit HelpFrm(AppContext& context);

    // The paragraph put in front of the stored text when the window loads.
    static QString introduction();
    // The help text kept with the window.
    static QString storedText();
    // The paragraph on the files put after it, with the paths of Windows (`windows`) or
    // Linux.
    static QString filesText(bool windows);
};

}  // namespace keyrelay
