#include "VTTipsView.h"

#include <QPainter>

VTTipsView::VTTipsView(QWidget* parent) : QWidget(parent) {}

void VTTipsView::paintEvent(QPaintEvent*) {
    if (!_bgColor.isValid())
        _bgColor = QColor(33, 38, 44);
    if (!_strColor.isValid())
        _strColor = Qt::white;

    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(_bgColor);
    painter.setBrush(_bgColor);
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 10.0, 10.0);

    if (_tipStr.isEmpty())
        return;
    QFont tipFont = font();
    tipFont.setPixelSize(14);
    painter.setFont(tipFont);
    painter.setPen(_strColor);
    painter.drawText(rect(), Qt::AlignCenter, _tipStr);
}
