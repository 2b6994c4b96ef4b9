#include "views/QVHelpView.h"

#include <QFontMetricsF>
#include <QPainter>

QVHelpView::QVHelpView(QWidget* parent) : QWidget(parent) {}

QVHelpView::~QVHelpView() {
    _tipsStr.clear();
}

void QVHelpView::setTipsStr(const QString& tips) {
    _tipsStr = tips;
    update();
}

QFont QVHelpView::tipsFont(const QFont& base) {
    QFont font(base);
    font.setPixelSize(14);
    font.setBold(true);
    return font;
}

QRectF QVHelpView::tipsRect() const {
    const QFontMetricsF metrics(tipsFont(font()));
    const double textWidth = metrics.horizontalAdvance(_tipsStr);
    const double textHeight = metrics.height();
    return QRectF((width() - textWidth) * 0.5, height() - 2.0 * textHeight, textWidth, textHeight);
}

void QVHelpView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillRect(rect().adjusted(0, 2, 0, -2), bandColor());
    if (!_tipsStr.isEmpty()) {
        painter.setFont(tipsFont(font()));
        painter.setPen(textColor());
        painter.drawText(tipsRect(), Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, _tipsStr);
    }
    painter.setPen(QPen(ruleColor(), 1.0));
    painter.drawLine(0, 0, width(), 0);
}
