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
    event->accept();
    emit unloaded();
}

bool ProgramWindow::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate && !unloaded_) {
        activationWork();
    }
    return QWidget::event(event);
}

}  // namespace keyrelay
