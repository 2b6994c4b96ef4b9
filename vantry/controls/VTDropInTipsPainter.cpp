#include "VTDropInTipsPainter.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

namespace {
constexpr double kShaftWidth = 18.0;
constexpr double kBorderWidth = 4.0;
constexpr double kDashLength = 22.0;
constexpr double kCornerRadius = 20.0;
constexpr double kPromptGap = 20.0;
constexpr int kPromptPixelSize = 18;
} // namespace

VTDropInTipsPainter::VTDropInTipsPainter() {
    setDefaultValue();
}

void VTDropInTipsPainter::setDefaultValue() {
    clrNorBg = QColor(236, 237, 235);
    clrHlBg = QColor(117, 187, 231);
    clrNorArrowFill = QColor(162, 164, 166);
    clrHlArrowFill = QColor(247, 249, 251);
    fArrowRectWidth = 100.0;
    fArrowWidth = 50.0;
    bHighlighted = false;
}

QRectF VTDropInTipsPainter::arrowSquare(const QRectF& bounds) const {
    const double side = fArrowRectWidth;
    const double left = bounds.x() + (bounds.right() - side) / 2.0;
    const double top = bounds.y() + (bounds.bottom() - side) / 2.0;
    return QRectF(left, top, side, side);
}

QPolygonF VTDropInTipsPainter::arrowOutline(double squareSide, double arrowWidth) {
    const double s = squareSide;
    const double m = (s - arrowWidth) / 2.0;
    const double k = (arrowWidth - kShaftWidth) / 2.0;
    return QPolygonF({QPointF(m, s / 2.0), QPointF(s / 2.0, m), QPointF(s - m, s / 2.0),
                      QPointF(s - m - k, s / 2.0), QPointF(s - m - k, s - m), QPointF(m + k, s - m),
                      QPointF(m + k, s / 2.0)});
}

QPolygonF VTDropInTipsPainter::arrowPolygon(const QRectF& bounds) const {
    const QRectF square = arrowSquare(bounds);
    QPolygonF polygon;
    for (const QPointF& point : arrowOutline(fArrowRectWidth, fArrowWidth))
        polygon << QPointF(square.left() + point.x(), square.bottom() - point.y());
    return polygon;
}

QFont VTDropInTipsPainter::promptFont(const QFont& base) {
    QFont font(base);
    font.setPixelSize(kPromptPixelSize);
    return font;
}

QRectF VTDropInTipsPainter::promptRect(const QRectF& bounds, const QFont& font) const {
    const QFontMetricsF metrics(promptFont(font));
    const QSizeF text(metrics.horizontalAdvance(strPromot), metrics.height());
    const QRectF square = arrowSquare(bounds);
    return QRectF(bounds.x() + (bounds.right() - text.width()) / 2.0, square.bottom() + kPromptGap,
                  text.width(), text.height());
}

void VTDropInTipsPainter::draw(QPainter& painter, const QRectF& bounds,
                               const QFont& baseFont) const {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.fillRect(bounds, backgroundColor());

    // Qt measures dashes in pen widths.
    QPen dashed(arrowColor(), kBorderWidth, Qt::CustomDashLine, Qt::FlatCap, Qt::MiterJoin);
    dashed.setDashPattern({kDashLength / kBorderWidth, kDashLength / kBorderWidth});
    painter.setPen(dashed);
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(arrowSquare(bounds), kCornerRadius, kCornerRadius);

    painter.setPen(Qt::NoPen);
    painter.setBrush(arrowColor());
    painter.drawPolygon(arrowPolygon(bounds));

    if (!strPromot.isEmpty()) {
        const QFont font = promptFont(baseFont);
        const QRectF textRect = promptRect(bounds, font);
        painter.setFont(font);
        painter.setPen(Qt::white); // the shadow: one point left and one down
        painter.drawText(textRect.translated(-1.0, 1.0), Qt::AlignLeft | Qt::AlignTop, strPromot);
        painter.setPen(arrowColor());
        painter.drawText(textRect, Qt::AlignLeft | Qt::AlignTop, strPromot);
    }
    painter.restore();
}
