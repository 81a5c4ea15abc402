#include "ui/Indicator.h"

#include <QPainter>
#include <algorithm>

namespace keyrelay {

Indicator::Indicator(QWidget* parent, const QColor& fill) : QWidget(parent), fill_(fill) {}

Indicator::~Indicator() {
    if (mirror_ != nullptr) {
        *mirror_ = false;
    }
}

void Indicator::mirrorShownTo(bool* flag) {
    mirror_ = flag;
    if (mirror_ != nullptr) {
        *mirror_ = !isHidden();
    }
}

void Indicator::setVisible(bool visible) {
    QWidget::setVisible(visible);
    if (mirror_ != nullptr) {
        *mirror_ = !isHidden();
    }
}

void Indicator::setFillColor(const QColor& color) {
    if (fill_ != color) {
        fill_ = color;
        update();
    }
}

void Indicator::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(fill_);
    const int d = std::min(width(), height()) - 2;
    p.drawEllipse((width() - d) / 2, (height() - d) / 2, d, d);
}

}  // namespace keyrelay
