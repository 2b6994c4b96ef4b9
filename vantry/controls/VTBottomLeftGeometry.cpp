#include "VTBottomLeftGeometry.h"

QRectF VTBottomLeftGeometry::toTopLeft(const QRectF& bottomLeftRect, double boxHeight) {
    return QRectF(bottomLeftRect.x(), boxHeight - bottomLeftRect.y() - bottomLeftRect.height(),
                  bottomLeftRect.width(), bottomLeftRect.height());
}

QRectF VTBottomLeftGeometry::toTopLeftInFrame(const QRectF& bottomLeftRect, const QRectF& frame) {
    return toTopLeft(bottomLeftRect, frame.height()).translated(frame.topLeft());
}
