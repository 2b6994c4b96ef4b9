#include "views/QVTipsView.h"

#include <QPainter>

namespace {
constexpr QPointF kShadowOffsets[] = {{1.0, 1.0}, {0.0, 1.0}, {2.0, 1.0}, {1.0, 0.0}, {1.0, 2.0}};
constexpr int kWrapMargin = 8;
} // namespace

QVTipsView::QVTipsView(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
}

void QVTipsView::setTipsStr(const QString& tips) {
    _tipsStr = tips;
    update();
}

void QVTipsView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), QColor::fromRgbF(0.0, 0.0, 0.0, 0.6));
    if (_tipsStr.isNull())
        return;
    QFont bold = font();
    // 13 points of the desktop the band was drawn for: one point to a pixel.
    bold.setPixelSize(13);
    bold.setBold(true);
    painter.setFont(bold);
    const QFontMetricsF metrics(bold);
    const QSizeF text(metrics.horizontalAdvance(_tipsStr), metrics.height());
    QRectF area((width() - text.width()) / 2.0, (height() - text.height()) / 2.0, width(),
                text.height());
    int flags = Qt::AlignLeft | Qt::AlignVCenter;
    // A list too long for one line is wrapped, centred in the band, rather than cut at its ends.
    if (text.width() > width() - 2 * kWrapMargin) {
        area = QRectF(rect()).adjusted(kWrapMargin, 0, -kWrapMargin, 0);
        flags = Qt::AlignCenter | Qt::TextWordWrap;
    }
    // A soft white shadow one point right and below: a few faint copies stand in for a blur.
    painter.setPen(QColor(255, 255, 255, 90));
    for (const QPointF& offset : kShadowOffsets)
        painter.drawText(area.translated(offset), flags, _tipsStr);
    painter.setPen(Qt::red);
    painter.drawText(area, flags, _tipsStr);
}
