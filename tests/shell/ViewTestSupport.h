#pragma once

#include <QBuffer>
#include <QColor>
#include <QDir>
#include <QEvent>
#include <QImage>
#include <QObject>
#include <QString>
#include <QWidget>

#include <atomic>

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
    int count() const { return _count; }
    void reset() { _count = 0; }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            ++_count;
        return false;
    }

private:
    int _count = 0;
};

// The picture as a JPEG file holds it.
inline QByteArray jpegBytesOf(const QImage& image) {
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG");
    return jpeg;
}

// The widget as drawn now, one image pixel per widget point.
inline QImage renderOf(QWidget& widget) {
    widget.ensurePolished();
    return widget.grab().toImage().convertToFormat(QImage::Format_ARGB32);
}

inline bool sameRgb(const QColor& a, const QColor& b, int tolerance = 2) {
    return std::abs(a.red() - b.red()) <= tolerance &&
           std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

// Pixels of image within area whose colour is close to color.
inline int countPixels(const QImage& image, const QRect& area, const QColor& color,
                       int tolerance = 40) {
    int found = 0;
    const QRect inside = area & image.rect();
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            if (sameRgb(image.pixelColor(x, y), color, tolerance))
                ++found;
    return found;
}
