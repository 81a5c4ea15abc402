#include "ui/TextWindow.h"

#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QPushButton>

#include "ui/Twips.h"

namespace keyrelay {

namespace {

constexpr int CloseWidth = 1215;
constexpr int CloseHeight = 375;

}  // namespace

TextWindow::TextWindow(AppContext& context, const char* name, const QString& title,
                       const QString& text, const Layout& layout)
    : ProgramWindow(context, name) {
    setWindowTitle(title);
    Text1 = new QPlainTextEdit(this);
    Text1->setReadOnly(true);
    if (layout.fixedPitch) {
        Text1->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    }
    // Prose wraps at the window's edge.
    Text1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Text1->setPlainText(text);
    Command1 = new QPushButton(QStringLiteral("Close"), this);
    connect(Command1, &QPushButton::clicked, this, [this] { close(); });

    Twips::place(Text1, layout.textLeft, layout.textTop, layout.textWidth, layout.textHeight);
    Twips::place(Command1, layout.closeLeft, layout.closeTop, CloseWidth, CloseHeight);
    if (layout.fixedSize) {
        setFixedSize(Twips::toPixels(layout.width), Twips::toPixels(layout.height));
    } else {
        resize(Twips::toPixels(layout.width), Twips::toPixels(layout.height));
    }
}

}  // namespace keyrelay
