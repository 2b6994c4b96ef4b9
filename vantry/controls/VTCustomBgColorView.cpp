#include "VTCustomBgColorView.h"

#include "VTViewRKAdditions.h"

#include <QPainter>
#include <QPainterPath>

VTCustomBgColorView::VTCustomBgColorView(QWidget* parent) : QWidget(parent) {}

void VTCustomBgColorView::drawRect(QPainter& painter, const QRectF& bounds) const {
    if (_bgColor.style() == Qt::TexturePattern) {
        VTViewRKAdditions::rk_drawPatternImageInRect(this, painter, _bgColor, bounds);
        return;
    }
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    QPainterPath panel;
    panel.addRoundedRect(bounds, _cornerRadius, _cornerRadius);
    painter.fillPath(panel, _bgColor);
    if (_borderColor.isValid()) {
        painter.setClipPath(panel, Qt::IntersectClip);
        painter.strokePath(panel, QPen(_borderColor, _borderWidth));
    }
    painter.restore();
}

void VTCustomBgColorView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    drawRect(painter, QRectF(rect()));
}
