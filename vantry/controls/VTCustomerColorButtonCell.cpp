#include "VTCustomerColorButtonCell.h"

#include "VTColorGradient.h"

#include <QPainter>

VTCustomerColorButtonCell::VTCustomerColorButtonCell() {
    awakeFromNib();
}

void VTCustomerColorButtonCell::awakeFromNib() {
    _textColor = Qt::white;
}

VTAttributedTitle VTCustomerColorButtonCell::getAttributedTitle() const {
    return VTAttributedTitle{title(), {}, _textColor, {}};
}

QRectF VTCustomerColorButtonCell::drawTitleWithFrameInView(QPainter& painter,
                                                           const VTAttributedTitle& title,
                                                           const QRectF& frame, const QWidget* view,
                                                           const VTCellState& state) const {
    return VTBaseButtonCell::drawTitleWithFrameInView(
        painter, state.enabled ? getAttributedTitle() : title, frame, view, state);
}

void VTCustomerColorButtonCell::drawImageWithFrameInView(QPainter& painter, const QImage& image,
                                                         const QRectF& frame, const QWidget* view,
                                                         const VTCellState& state) const {
    if (_aryBgColors.isEmpty()) {
        VTBaseButtonCell::drawImageWithFrameInView(painter, image, frame, view, state);
        return;
    }
    if (_gradientMask != VTGradientMaskColorsAngle90 &&
        _gradientMask != VTGradientMaskColorsAngleMinus90)
        return;
    painter.fillRect(frame, VTColorGradient::verticalGradient(
                                frame, _aryBgColors, _gradientMask == VTGradientMaskColorsAngle90));
}
