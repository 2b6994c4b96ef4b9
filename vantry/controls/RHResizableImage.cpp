#include "RHResizableImage.h"

#include <QDebug>

#include <cmath>

RHResizableImage::RHResizableImage(const QImage& image, double leftCapWidth, double topCapHeight)
    : RHResizableImage(
          image, RHEdgeInsetsMake(topCapHeight, leftCapWidth,
                                  image.deviceIndependentSize().height() - topCapHeight - 1.0,
                                  image.deviceIndependentSize().width() - leftCapWidth - 1.0)) {}

RHResizableImage::RHResizableImage(const QImage& image, const RHEdgeInsets& capInsets,
                                   int resizingMode)
    : _image(image), _capInsets(capInsets), _resizingMode(resizingMode),
      _pieces(RHNinePartPiecesFromImageWithInsets(image, capInsets)) {}

QSizeF RHResizableImage::size() const {
    return _image.isNull() ? QSizeF() : _image.deviceIndependentSize();
}

void RHResizableImage::drawInRect(QPainter& painter, const QRectF& rect) const {
    drawInRectOperationFraction(painter, rect, QPainter::CompositionMode_SourceOver, 1.0);
}

void RHResizableImage::drawInRectOperationFraction(QPainter& painter, const QRectF& rect,
                                                   QPainter::CompositionMode operation,
                                                   double fraction) const {
    drawInRectOperationFractionRespectFlippedHints(painter, rect, operation, fraction, true, {});
}

void RHResizableImage::drawInRectOperationFractionRespectFlippedHints(
    QPainter& painter, const QRectF& rect, QPainter::CompositionMode operation, double fraction,
    bool respectFlipped, const QVariantMap& hints) const {
    drawInRectFromRectOperationFractionRespectFlippedHints(painter, rect, QRectF(), operation,
                                                           fraction, respectFlipped, hints);
}

void RHResizableImage::drawInRectFromRectOperationFractionRespectFlippedHints(
    QPainter& painter, const QRectF& rect, const QRectF&, QPainter::CompositionMode operation,
    double fraction, bool, const QVariantMap&) const {
    if (_image.isNull() || !RHEdgeInsetsFitSize(_capInsets, size()))
        return;
    if (!(rect.width() > 0) || !(rect.height() > 0))
        return;
    if (!prepareCache(rect.size(), RHContextGetDeviceScale(painter)))
        return;
    RHDrawStretchedImageInRect(painter, _cache, rect, operation, fraction);
}

void RHResizableImage::originalDrawInRectFromRectOperationFractionRespectFlippedHints(
    QPainter& painter, const QRectF& rect, const QRectF& fromRect,
    QPainter::CompositionMode operation, double fraction, bool, const QVariantMap&) const {
    if (_image.isNull() || !(rect.width() > 0) || !(rect.height() > 0))
        return;
    const double scale = _image.devicePixelRatio();
    const QRectF source = fromRect.isEmpty()
                              ? QRectF(_image.rect())
                              : QRectF(fromRect.topLeft() * scale, fromRect.size() * scale);
    painter.save();
    painter.setCompositionMode(operation);
    painter.setOpacity(painter.opacity() * fraction);
    painter.drawImage(rect, _image, source);
    painter.restore();
}

void RHResizableImage::dropCache() const {
    _cache = QImage();
    _cachedSize = QSizeF();
    _cachedDeviceScale = 0.0;
}

bool RHResizableImage::prepareCache(const QSizeF& size, double deviceScale) const {
    if (!_cache.isNull() && (_cachedSize != size || _cachedDeviceScale != deviceScale))
        dropCache();
    if (!_cache.isNull())
        return true;

    const double scale = deviceScale > 0 ? deviceScale : 1.0;
    QImage bitmap(int(std::ceil(size.width() * scale)), int(std::ceil(size.height() * scale)),
                  QImage::Format_ARGB32_Premultiplied);
    if (bitmap.isNull()) {
        qWarning().noquote() << QStringLiteral(
                                    "Error: failed to create NSBitmapImageRep from rep: %1")
                                    .arg(QDebug::toString(_image));
        return false;
    }
    bitmap.setDevicePixelRatio(scale);
    bitmap.fill(Qt::transparent);
    QPainter painter;
    if (!painter.begin(&bitmap)) {
        qWarning().noquote() << QStringLiteral(
                                    "Error: failed to create NSGraphicsContext from rep: %1")
                                    .arg(QDebug::toString(bitmap));
        return false;
    }
    RHDrawNinePartImage(painter, QRectF(QPointF(0, 0), size), _pieces,
                        QPainter::CompositionMode_SourceOver,
                        _resizingMode == RHResizableImageResizingModeTile);
    painter.end();
    _cache = bitmap;
    _cachedSize = size;
    _cachedDeviceScale = deviceScale;
    return true;
}
