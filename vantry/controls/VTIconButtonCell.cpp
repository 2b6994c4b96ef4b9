#include "VTIconButtonCell.h"

#include <QPainter>

void VTIconButtonCell::setIconForState(const QImage& icon, bool normal) {
    (normal ? _imgNorIcon : _imgHlIcon) = icon;
}

void VTIconButtonCell::setBackgroundImageForState(const QImage& background, bool normal) {
    (normal ? _imgNorBg : _imgHlBg) = background;
}

void VTIconButtonCell::setTitleForState(const VTAttributedTitle& title, bool normal) {
    (normal ? _asNorTitle : _asHlTitle) = title;
}

void VTIconButtonCell::drawWithFrameInView(QPainter& painter, const QRectF& frame,
                                           const QWidget* view, const VTCellState& state) const {
    const bool pressed = state.highlighted;
    const QImage& icon = pressed ? _imgHlIcon : _imgNorIcon;
    const QImage& background = pressed ? _imgHlBg : _imgNorBg;
    const VTAttributedTitle& title = pressed ? _asHlTitle : _asNorTitle;
    const double width = frame.width(), height = frame.height();

    if (!background.isNull()) {
        painter.save();
        painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
        painter.drawImage(frame, background);
        painter.restore();
    }
    const QFont font = effectiveFont(view);
    const QSizeF text = title.size(font);
    const QSizeF picture = icon.isNull() ? QSizeF() : icon.deviceIndependentSize();
    if (!title.isEmpty()) {
        const double x =
            icon.isNull()
                ? (width - text.width()) * 0.5
                : picture.width() + (width - text.width() - picture.width() - 10) * 0.5 + 10;
        title.drawInRect(painter,
                         QRectF(QPointF(x, (height - text.height()) * 0.5), text + QSizeF(1, 0)),
                         font, defaultTitleColor(view, state.enabled), Qt::AlignLeft);
    }
    if (!icon.isNull()) {
        const double x = title.isEmpty() ? (width - picture.width()) * 0.5
                                         : (width - text.width() - picture.width() - 10) * 0.5;
        painter.drawImage(
            QRectF(QPointF(double(float(x)), (height - picture.height()) * 0.5), picture), icon);
    }
}
