#pragma once

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QRect>

#include <cmath>

// Pixel reads from a widget's grab() in the widget's own coordinates, at any screen scale:
// each logical pixel is read at the device pixel at its centre.
inline QPoint devicePixel(const QImage& image, const QPoint& logical) {
    const qreal ratio = image.devicePixelRatio();
    return QPoint(int(std::floor((logical.x() + 0.5) * ratio)),
                  int(std::floor((logical.y() + 0.5) * ratio)));
}

inline QColor pixelAt(const QImage& image, const QPoint& logical) {
    return image.pixelColor(devicePixel(image, logical));
}

inline QColor pixelAt(const QImage& image, int x, int y) {
    return pixelAt(image, QPoint(x, y));
}

// The device pixels that cover a logical rectangle.
inline QRect deviceRect(const QImage& image, const QRect& logical) {
    const qreal ratio = image.devicePixelRatio();
    return QRect(
        QPoint(int(std::floor(logical.left() * ratio)), int(std::floor(logical.top() * ratio))),
        QPoint(int(std::ceil((logical.right() + 1) * ratio)) - 1,
               int(std::ceil((logical.bottom() + 1) * ratio)) - 1));
}
