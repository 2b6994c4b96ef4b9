#pragma once

#include <QPoint>
#include <QRect>
#include <QString>

#include <optional>

// Points and rectangles as stored in the user defaults: "{x, y}" and "{{x, y}, {w, h}}".
// Reading is strict: any other text, or a negative size, gives no value.
class GeometryText {
public:
    static QString stringFromPoint(const QPoint& point);
    static QString stringFromRect(const QRect& rect);
    static std::optional<QPoint> pointFromString(const QString& text);
    static std::optional<QRect> rectFromString(const QString& text);
};
