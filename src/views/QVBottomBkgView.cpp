#include "views/QVBottomBkgView.h"

#include "views/QVViewImages.h"

#include <QPainter>

namespace {
QImage named(const char* name) {
    return QVViewImages::imageNamed(QString::fromLatin1(name));
}
} // namespace

QVBottomBkgView::QVBottomBkgView(QWidget* parent) : QWidget(parent) {}

void QVBottomBkgView::drawNinePartImage(QPainter& painter, const QRect& frame,
                                        const NinePart& parts) {
    if (frame.isEmpty())
        return;
    const int leftWidth = parts.topLeft.width();
    const int rightWidth = parts.topRight.width();
    const int topHeight = parts.topLeft.height();
    const int bottomHeight = parts.bottomLeft.height();
    const int innerWidth = frame.width() - leftWidth - rightWidth;
    const int innerHeight = frame.height() - topHeight - bottomHeight;

    painter.drawImage(frame.topLeft(), parts.topLeft);
    painter.drawImage(QPoint(frame.right() + 1 - rightWidth, frame.top()), parts.topRight);
    painter.drawImage(QPoint(frame.left(), frame.bottom() + 1 - bottomHeight), parts.bottomLeft);
    painter.drawImage(QPoint(frame.right() + 1 - rightWidth, frame.bottom() + 1 - bottomHeight),
                      parts.bottomRight);
    if (innerWidth > 0) {
        painter.drawTiledPixmap(
            QRect(frame.left() + leftWidth, frame.top(), innerWidth, parts.top.height()),
            QPixmap::fromImage(parts.top));
        painter.drawTiledPixmap(QRect(frame.left() + leftWidth,
                                      frame.bottom() + 1 - parts.bottom.height(), innerWidth,
                                      parts.bottom.height()),
                                QPixmap::fromImage(parts.bottom));
    }
    if (innerHeight > 0) {
        painter.drawTiledPixmap(
            QRect(frame.left(), frame.top() + topHeight, parts.left.width(), innerHeight),
            QPixmap::fromImage(parts.left));
        painter.drawTiledPixmap(QRect(frame.right() + 1 - parts.right.width(),
                                      frame.top() + topHeight, parts.right.width(), innerHeight),
                                QPixmap::fromImage(parts.right));
    }
}

void QVBottomBkgView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QImage pattern = named("pages_pattern");
    drawNinePartImage(painter, rect(),
                      {pattern, pattern, pattern, pattern, pattern, pattern, pattern, pattern});
    const QRect inner(4, 4, width() - 8, height() - 8);
    drawNinePartImage(painter, inner,
                      {named("frame_top_l"), named("frame_top_m"), named("frame_top_r"),
                       named("frame_middle_l"), named("frame_middle_r"), named("frame_bottom_l"),
                       named("frame_bottom_m"), named("frame_bottom_r")});
    const QImage rightEdge = named("frame_middle_r");
    if (inner.height() > 0)
        painter.drawImage(QRect(width() - 8, 4, 4, height() - 8), rightEdge);
}
