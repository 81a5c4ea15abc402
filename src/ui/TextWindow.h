#pragma once

#include <QString>

#include "ui/ProgramWindow.h"

class QPlainTextEdit;
class QPushButton;

namespace keyrelay {

// A window that shows a read-only, scrolling text above a "Close" button: the base of the
// help windows, which only give their title, text and geometry.
class TextWindow : public ProgramWindow {
    Q_OBJECT
public:
    // Positions and sizes in twips.
    struct Layout {
        int textLeft;
        int textTop;
        int textWidth;
        int textHeight;
        int closeLeft;
        int closeTop;
        int width;  // the window's size
        int height;
        bool fixedSize;   // the user cannot resize the window
        bool fixedPitch;  // keeps tables in the text in columns
    };

    QPlainTextEdit* Text1 = nullptr;
    QPushButton* Command1 = nullptr;  // "Close"

protected:
    TextWindow(AppContext& context, const char* name, const QString& title, const QString& text,
               const Layout& layout);
};

}  // namespace keyrelay
