#include "views/QVImageScale.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {
// Quotients are taken in single precision, as the fitted sizes always were.
double ratio(double numerator, double denominator) {
    return static_cast<float>(numerator / denominator);
}

bool isUsable(const QSizeF& size) {
    return std::isfinite(size.width()) && std::isfinite(size.height()) && size.width() > 0.0 &&
           size.height() > 0.0;
}
} // namespace

QSizeF QVImageScale::scaledSizeToFitSize(const QSizeF& source, const QSizeF& target) {
    if (!isUsable(source) || !isUsable(target))
        return QSizeF(0.0, 0.0);
    const double w = source.width();
    const double h = source.height();
    const double targetW = target.width();
    const double targetH = target.height();
    if (h == w) {
        const double side = std::min(targetW, targetH);
        return QSizeF(side, side);
    }
    const double fittedH = ratio(h, w) * targetW;
    if (fittedH > targetH)
        return QSizeF(ratio(w, h) * targetH, targetH);
    return QSizeF(targetW, fittedH);
}

QSizeF QVImageScale::scaledSizeToCoverSize(const QSizeF& source, const QSizeF& target) {
    if (!isUsable(source) || !isUsable(target))
        return QSizeF(0.0, 0.0);
    const double coverH = ratio(source.height(), source.width()) * target.width();
    if (target.height() > coverH)
        return QSizeF(ratio(source.width(), source.height()) * target.height(), target.height());
    return QSizeF(target.width(), coverH);
}

QSizeF QVImageScale::scaledSizeToFitSize(const QImage& image, const QSizeF& target) {
    return scaledSizeToFitSize(QSizeF(image.size()), target);
}

QSizeF QVImageScale::scaledSizeToCoverSize(const QImage& image, const QSizeF& target) {
    return scaledSizeToCoverSize(QSizeF(image.size()), target);
}

QImage QVImageScale::scaledImageToFitSize(const QImage& image, const QSizeF& target) {
    return scaledImageToFitSizeWithInterpolation(image, target, true);
}

QImage QVImageScale::scaledImageToFitSizeWithInterpolation(const QImage& image,
                                                           const QSizeF& target, bool smooth) {
    return scaledImageToFitSizeWithInterpolationAndBox(image, target, smooth, false);
}

QImage QVImageScale::scaledImageToFitSizeWithInterpolationAndBox(const QImage& image,
                                                                 const QSizeF& target, bool smooth,
                                                                 bool box) {
    const QSize canvasSize = target.toSize();
    if (image.isNull() || canvasSize.isEmpty())
        return {};
    const QSizeF fitted = scaledSizeToFitSize(image, target);
    const QRectF area(
        QPointF((target.width() - fitted.width()) * 0.5, (target.height() - fitted.height()) * 0.5),
        fitted);

    QImage canvas(canvasSize, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    QPainter painter(&canvas);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, smooth);
    if (box)
        painter.fillRect(area, Qt::white);
    painter.drawImage(area, image, QRectF(image.rect()));
    if (box) {
        painter.setPen(QPen(Qt::black, 1.0));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(area);
    }
    return canvas;
}
