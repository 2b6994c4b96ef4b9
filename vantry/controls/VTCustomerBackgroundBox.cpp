#include "VTCustomerBackgroundBox.h"

#include <QPainter>

VTCustomerBackgroundBox::VTCustomerBackgroundBox(QWidget* parent) : QWidget(parent) {}

void VTCustomerBackgroundBox::paintEvent(QPaintEvent*) {
    if (_imgBg.isNull())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.drawImage(QRectF(rect()), _imgBg);
}
