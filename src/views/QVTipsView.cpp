#include "views/QVTipsView.h"

#include <QPainter>

#include <algorithm>

namespace {
constexpr QPointF kShadowOffsets[] = {{1.0, 1.0}, {0.0, 1.0}, {2.0, 1.0}, {1.0, 0.0}, {1.0, 2.0}};
constexpr int kSideMargin = 8;
constexpr int kEndMargin = 4;
constexpr int kTextFlags = Qt::AlignCenter | Qt::TextWordWrap;
} // namespace

QVTipsView::QVTipsView(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setContentsMargins(kSideMargin, kEndMargin, kSideMargin, kEndMargin);
}

void QVTipsView::setTipsStr(const QString& tips) {
    _tipsStr = tips;
    updateGeometry();
    update();
}

QFont QVTipsView::tipsFont() const {
    QFont bold = font();
    // 13 points of the desktop the band was drawn for: one point to a pixel.
    bold.setPixelSize(13);
    bold.setBold(true);
    return bold;
}

int QVTipsView::heightForWidth(int width) const {
    const QMargins margins = contentsMargins();
    const int textWidth = std::max(1, width - margins.left() - margins.right());
    const QRect text =
        QFontMetrics(tipsFont()).boundingRect(QRect(0, 0, textWidth, 0), kTextFlags, _tipsStr);
    return text.height() + margins.top() + margins.bottom();
}

void QVTipsView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), QColor::fromRgbF(0.0, 0.0, 0.0, 0.6));
    if (_tipsStr.isNull())
        return;
    painter.setFont(tipsFont());
    const QRectF area = contentsRect();
    // A soft white shadow one point right and below: a few faint copies stand in for a blur.
    painter.setPen(QColor(255, 255, 255, 90));
    for (const QPointF& offset : kShadowOffsets)
        painter.drawText(area.translated(offset), kTextFlags, _tipsStr);
    painter.setPen(Qt::red);
    painter.drawText(area, kTextFlags, _tipsStr);
}
