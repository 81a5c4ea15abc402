#include "ui/Twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace keyrelay {

double Twips::screenDpi() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->logicalDotsPerInch() : 96.0;
}

void Twips::place(QWidget* control, int left, int top, int width, int height) {
    control->setGeometry(toPixels(left), toPixels(top), toPixels(width), toPixels(height));
}

void Twips::setTop(QWidget* control, int top) {
    control->move(control->x(), toPixels(top));
}

}  // namespace keyrelay
