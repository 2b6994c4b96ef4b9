#include "views/QVOperationPanel.h"

#include <QPainter>

QVOperationPanel::QVOperationPanel(QWidget* parent) : QWidget(parent) {}

void QVOperationPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillRect(rect().adjusted(0, 1, 0, -1), fillColor());
    painter.setPen(QPen(palette().color(QPalette::Mid), 1.0));
    painter.drawLine(0, 0, width(), 0);
}
