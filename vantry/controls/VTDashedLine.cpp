#include "VTDashedLine.h"

#include <QPainter>

VTDashedLine::VTDashedLine(QWidget* parent) : QWidget(parent) {}

QLineF VTDashedLine::lineForBounds(const QRectF& bounds) const {
    const double x = bounds.x(), y = bounds.y(), w = bounds.width(), h = bounds.height();
    if (_dashedLineType == 0)
        return QLineF(0, y + h * 0.5, x + w, y + h * 0.5);
    return QLineF(x + w * 0.5, 0, x + w * 0.5, y + h);
}

void VTDashedLine::drawRect(QPainter& painter, const QRectF& bounds) const {
    QPen pen(palette().color(QPalette::Shadow), 1.0);
    pen.setDashPattern({3.0, 3.0});
    pen.setDashOffset(0);
    pen.setCapStyle(Qt::FlatCap);
    painter.save();
    painter.setPen(pen);
    painter.drawLine(lineForBounds(bounds));
    painter.restore();
}

void VTDashedLine::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    drawRect(painter, QRectF(rect()));
}
