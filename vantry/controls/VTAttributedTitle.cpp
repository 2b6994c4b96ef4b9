#include "VTAttributedTitle.h"

#include <QFontMetricsF>
#include <QPainter>

QSizeF VTAttributedTitle::size(const QFont& fallback) const {
    if (string.isEmpty())
        return {};
    const QFontMetricsF metrics(fontOr(fallback));
    return QSizeF(metrics.horizontalAdvance(string), metrics.height());
}

void VTAttributedTitle::drawInRect(QPainter& painter, const QRectF& rect, const QFont& fallbackFont,
                                   const QColor& fallbackColor,
                                   Qt::Alignment fallbackAlignment) const {
    if (string.isEmpty() || rect.width() <= 0)
        return;
    const QFont drawFont = fontOr(fallbackFont);
    const QString shown =
        QFontMetricsF(drawFont, painter.device()).elidedText(string, Qt::ElideRight, rect.width());
    painter.save();
    painter.setFont(drawFont);
    painter.setPen(foregroundColor.isValid() ? foregroundColor : fallbackColor);
    const Qt::Alignment horizontal =
        alignment.value_or(fallbackAlignment) & Qt::AlignHorizontal_Mask;
    painter.drawText(rect, int(horizontal | Qt::AlignVCenter | Qt::TextSingleLine), shown);
    painter.restore();
}
