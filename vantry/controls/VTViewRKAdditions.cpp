#include "VTViewRKAdditions.h"

#include <QPainter>
#include <QWidget>

void VTViewRKAdditions::rk_drawPatternImageInRect(const QWidget* view, QPainter& painter,
                                                  const QBrush& pattern, const QRectF& rect) {
    QPainterPath path;
    path.addRect(rect);
    rk_drawPatternImageInBezierPath(view, painter, pattern, path);
}

void VTViewRKAdditions::rk_drawPatternImageInBezierPath(const QWidget* view, QPainter& painter,
                                                        const QBrush& pattern,
                                                        const QPainterPath& path) {
    painter.save();
    // The painter draws in the view's own coordinates, whose origin is its top-left corner.
    painter.setBrushOrigin(view ? QPointF(view->rect().topLeft()) : QPointF(0, 0));
    painter.fillPath(path, pattern);
    painter.restore();
}
