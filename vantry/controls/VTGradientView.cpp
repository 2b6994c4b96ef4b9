#include "VTGradientView.h"

#include "RHNinePartDrawing.h"
#include "VTColorGradient.h"

#include <QPainter>

VTGradientView::VTGradientView(QWidget* parent) : QWidget(parent) {}

void VTGradientView::drawRect(QPainter& painter, const QRectF& bounds) const {
    if (_gradientMask == VTGradientMaskImagesHorizontal ||
        _gradientMask == VTGradientMaskImagesVertical ||
        _gradientMask == VTGradientMaskImagesAlternate)
        drawSlices(painter, bounds);
    const bool gradient = _gradientMask == VTGradientMaskColorsAngle90 ||
                          _gradientMask == VTGradientMaskColorsAngleMinus90;
    if (gradient && !_aryBgColors.isEmpty())
        painter.fillRect(
            bounds, VTColorGradient::verticalGradient(
                        bounds, _aryBgColors, _gradientMask == VTGradientMaskColorsAngleMinus90));
}

void VTGradientView::drawSlices(QPainter& painter, const QRectF& bounds) const {
    const auto& images = _aryGradientImgs;
    if (images.size() == 3) {
        RHDrawThreePartImage(painter, bounds, images[0], images[1], images[2],
                             _gradientMask == VTGradientMaskImagesVertical,
                             QPainter::CompositionMode_SourceOver, 1.0);
    } else if (images.size() == 9) {
        RHNinePieces pieces;
        std::copy(images.begin(), images.end(), pieces.begin());
        RHDrawNinePartImage(painter, bounds, pieces, QPainter::CompositionMode_SourceOver, false);
    }
}

void VTGradientView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    drawRect(painter, QRectF(rect()));
}
