#include "RHResizableImageAdditions.h"

RHResizableImage
RHResizableImageAdditions::resizableImageWithCapInsets(const QImage& image,
                                                       const RHEdgeInsets& capInsets) {
    return RHResizableImage(image, capInsets, RHResizableImageResizingModeTile);
}

RHResizableImage RHResizableImageAdditions::resizableImageWithCapInsetsResizingMode(
    const QImage& image, const RHEdgeInsets& capInsets, int resizingMode) {
    return RHResizableImage(image, capInsets, resizingMode);
}

RHResizableImage RHResizableImageAdditions::stretchableImageWithLeftCapWidthTopCapHeight(
    const QImage& image, double leftCapWidth, double topCapHeight) {
    return RHResizableImage(image, leftCapWidth, topCapHeight);
}

void RHResizableImageAdditions::drawTiledInRectOperationFraction(
    const QImage& image, QPainter& painter, const QRectF& rect, QPainter::CompositionMode operation,
    double fraction) {
    RHDrawTiledImageInRect(painter, image, rect, operation, fraction);
}

void RHResizableImageAdditions::drawStretchedInRectOperationFraction(
    const QImage& image, QPainter& painter, const QRectF& rect, QPainter::CompositionMode operation,
    double fraction) {
    RHDrawStretchedImageInRect(painter, image, rect, operation, fraction);
}
