#include "RHNinePartDrawing.h"

#include "VTBottomLeftGeometry.h"

#include <QBrush>
#include <QLineF>
#include <QTransform>

#include <cmath>
#include <memory>

namespace {
QSizeF pointSize(const QImage& image) {
    return image.isNull() ? QSizeF() : image.deviceIndependentSize();
}

void releaseKeptImage(void* keptImage) {
    // Ownership came from the unique_ptr released when the piece was made.
    std::unique_ptr<QImage>(static_cast<QImage*>(keptImage));
}

// A piece whose pixels stay inside the source image: the piece keeps a shared copy of the
// source alive until its last copy goes.
QImage referencePixels(const QImage& source, const QRect& pixels) {
    auto kept = std::make_unique<QImage>(source);
    const uchar* first =
        kept->constBits() + qsizetype(pixels.y()) * kept->bytesPerLine() + pixels.x() * 4;
    QImage piece(first, pixels.width(), pixels.height(), kept->bytesPerLine(), kept->format(),
                 releaseKeptImage, kept.get());
    if (piece.isNull())
        return {};
    kept.release();
    piece.setDevicePixelRatio(source.devicePixelRatio());
    return piece;
}

QImage asPremultiplied(const QImage& image) {
    return image.format() == QImage::Format_ARGB32_Premultiplied
               ? image
               : image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

bool drawable(const QImage& image, const QRectF& rect, double fraction) {
    return !image.isNull() && rect.width() > 0 && rect.height() > 0 && fraction > 0;
}
} // namespace

QImage RHImageByReferencingRectOfExistingImage(const QImage& image, const QRectF& rect) {
    if (image.isNull() || !(rect.width() > 0) || !(rect.height() > 0))
        return {};
    const double scale = image.devicePixelRatio();
    const QRect pixels =
        QRectF(rect.x() * scale, rect.y() * scale, rect.width() * scale, rect.height() * scale)
            .toAlignedRect()
            .intersected(image.rect());
    if (pixels.isEmpty())
        return {};
    return referencePixels(asPremultiplied(image), pixels);
}

RHNinePieces RHNinePartPiecesFromImageWithInsets(const QImage& image, const RHEdgeInsets& insets) {
    RHNinePieces pieces;
    const QSizeF size = pointSize(image);
    if (image.isNull() || !RHEdgeInsetsFitSize(insets, size))
        return pieces;
    const double w = size.width(), h = size.height();
    const double t = insets.top, l = insets.left, b = insets.bottom, r = insets.right;
    const double midW = w - l - r, midH = h - t - b;
    const QRectF bottomLeftRects[9] = {
        {0, h - t, l, t}, {l, h - t, midW, t}, {w - r, h - t, r, t},
        {0, b, l, midH},  {l, b, midW, midH},  {w - r, b, r, midH},
        {0, 0, l, b},     {l, 0, midW, b},     {w - r, 0, r, b},
    };
    const QImage source = asPremultiplied(image);
    for (int i = 0; i < 9; ++i)
        pieces[i] = RHImageByReferencingRectOfExistingImage(
            source, VTBottomLeftGeometry::toTopLeft(bottomLeftRects[i], h));
    return pieces;
}

void RHDrawStretchedImageInRect(QPainter& painter, const QImage& image, const QRectF& rect,
                                QPainter::CompositionMode operation, double fraction) {
    if (!drawable(image, rect, fraction))
        return;
    painter.save();
    painter.setCompositionMode(operation);
    painter.setOpacity(painter.opacity() * fraction);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.drawImage(rect, image);
    painter.restore();
}

void RHDrawTiledImageInRect(QPainter& painter, const QImage& image, const QRectF& rect,
                            QPainter::CompositionMode operation, double fraction) {
    if (!drawable(image, rect, fraction))
        return;
    const QSizeF tile = pointSize(image);
    const double scale = image.devicePixelRatio();
    QImage texture = image;
    texture.setDevicePixelRatio(1.0);
    QBrush brush(texture);
    brush.setTransform(QTransform::fromTranslate(rect.left(), rect.bottom() - tile.height())
                           .scale(1 / scale, 1 / scale));
    painter.save();
    painter.setCompositionMode(operation);
    painter.setOpacity(painter.opacity() * fraction);
    painter.fillRect(rect, brush);
    painter.restore();
}

void RHDrawImageInRect(QPainter& painter, const QImage& image, const QRectF& rect,
                       QPainter::CompositionMode operation, double fraction, bool tile) {
    if (tile)
        RHDrawTiledImageInRect(painter, image, rect, operation, fraction);
    else
        RHDrawStretchedImageInRect(painter, image, rect, operation, fraction);
}

void RHDrawNinePartImage(QPainter& painter, const QRectF& frame, const RHNinePieces& pieces,
                         QPainter::CompositionMode operation, bool tile) {
    if (!(frame.width() > 0) || !(frame.height() > 0))
        return;
    const double w = frame.width(), h = frame.height();
    const QSizeF topLeft = pointSize(pieces[RHNinePartTopLeft]);
    const QSizeF bottomRight = pointSize(pieces[RHNinePartBottomRight]);
    const double L = topLeft.width(), T = topLeft.height();
    const double R = bottomRight.width(), B = bottomRight.height();
    const double midW = w - L - R, midH = h - T - B;
    const QRectF bottomLeftRects[9] = {
        {0, h - T, L, T}, {L, h - T, midW, T}, {w - R, h - T, R, T},
        {0, B, L, midH},  {L, B, midW, midH},  {w - R, B, R, midH},
        {0, 0, L, B},     {L, 0, midW, B},     {w - R, 0, R, B},
    };
    for (int i = 0; i < 9; ++i) {
        const bool corner = i == RHNinePartTopLeft || i == RHNinePartTopRight ||
                            i == RHNinePartBottomLeft || i == RHNinePartBottomRight;
        const QRectF place = VTBottomLeftGeometry::toTopLeftInFrame(bottomLeftRects[i], frame);
        RHDrawImageInRect(painter, pieces[i], place, operation, 1.0, tile && !corner);
    }
}

void RHDrawThreePartImage(QPainter& painter, const QRectF& frame, const QImage& startCap,
                          const QImage& centerFill, const QImage& endCap, bool vertical,
                          QPainter::CompositionMode operation, double alphaFraction) {
    if (!(frame.width() > 0) || !(frame.height() > 0))
        return;
    const auto along = [vertical](const QSizeF& size) {
        return vertical ? size.height() : size.width();
    };
    const double length = vertical ? frame.height() : frame.width();
    double start = along(pointSize(startCap)), end = along(pointSize(endCap));
    if (start + end > length) {
        const double share = length / (start + end);
        start *= share;
        end *= share;
    }
    const auto piece = [&](double offset, double size) {
        return vertical ? QRectF(frame.left(), frame.top() + offset, frame.width(), size)
                        : QRectF(frame.left() + offset, frame.top(), size, frame.height());
    };
    RHDrawStretchedImageInRect(painter, startCap, piece(0, start), operation, alphaFraction);
    RHDrawStretchedImageInRect(painter, centerFill, piece(start, length - start - end), operation,
                               alphaFraction);
    RHDrawStretchedImageInRect(painter, endCap, piece(length - end, end), operation, alphaFraction);
}

double RHContextGetDeviceScale(const QPainter& painter) {
    // The device transform already holds the target's device pixel ratio.
    const QTransform toDevice = painter.deviceTransform();
    return QLineF(toDevice.map(QPointF(0, 0)), toDevice.map(QPointF(1, 0))).length();
}

float distance(double x, double y) {
    return static_cast<float>(std::sqrt(x * x + y * y));
}
