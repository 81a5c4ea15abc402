#include "ui/ProgramWindow.h"

#include <QCloseEvent>
#include <QEvent>

namespace keyrelay {

ProgramWindow::ProgramWindow(AppContext& context, const char* name)
    : QWidget(nullptr), ctx(context), name_(name) {
    setAttribute(Qt::WA_DeleteOnClose);
}

ProgramWindow::~ProgramWindow() = default;

void ProgramWindow::closeEvent(QCloseEvent* event) {
    if (unloaded_) {
        event->accept();
        return;
    }
    unloaded_ = true;
    closingWork();
    if (handlerDepth_ > 0) {
        // A handler is waiting inside this window: it finishes on this object first.
        setAttribute(Qt::WA_DeleteOnClose, false);
    }
    event->accept();
    emit unloaded();
}

ProgramWindow::HandlerScope::HandlerScope(ProgramWindow& window) : window_(window) {
    ++window_.handlerDepth_;
}

ProgramWindow::HandlerScope::~HandlerScope() {
    if (--window_.handlerDepth_ == 0 && window_.unloaded_) {
        window_.deleteLater();
    }
}

bool ProgramWindow::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate && !unloaded_) {
        activationWork();
    }
    return QWidget::event(event);
}

}  // namespace keyrelay
