#include "ui/Twips.h"

#include <QGuiApplication>
#include <QScreen>

namespace keyrelay {

double Twips::screenDpi() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->logicalDotsPerInch() : 96.0;
}

}  // namespace keyrelay
