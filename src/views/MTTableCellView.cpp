#include "views/MTTableCellView.h"

#include <QPaintEvent>

MTTableCellView::MTTableCellView(QWidget* parent) : QWidget(parent) {}

void MTTableCellView::paintEvent(QPaintEvent*) {
    QPaintEvent whole(rect());
    QWidget::paintEvent(&whole);
}
