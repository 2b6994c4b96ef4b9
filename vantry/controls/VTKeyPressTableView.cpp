#include "VTKeyPressTableView.h"

#include "LTKeyPressTableViewAdditions.h"

#include <QKeyEvent>

VTKeyPressTableView::VTKeyPressTableView(QWidget* parent) : QTableView(parent) {}

void VTKeyPressTableView::keyPressEvent(QKeyEvent* event) {
    if (LTKeyPressTableViewAdditions::_performKeyPressFromKeyDown(this, _delegate, *event))
        event->accept();
    else
        QTableView::keyPressEvent(event);
}
