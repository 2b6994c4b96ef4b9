#pragma once

#include <QBrush>
#include <QPainterPath>
#include <QRectF>

class QPainter;
class QWidget;

// Pattern fills anchored to a view: the pattern's tiles start at the view's top-left
// corner wherever the view sits in its window.
class VTViewRKAdditions {
public:
    static void rk_drawPatternImageInRect(const QWidget* view, QPainter& painter,
                                          const QBrush& pattern, const QRectF& rect);
    static void rk_drawPatternImageInBezierPath(const QWidget* view, QPainter& painter,
                                                const QBrush& pattern, const QPainterPath& path);
};
