#include "VTKeyPressOutlineView.h"

#include "LTKeyPressTableViewAdditions.h"

#include <QKeyEvent>

VTKeyPressOutlineView::VTKeyPressOutlineView(QWidget* parent) : QTreeView(parent) {}

void VTKeyPressOutlineView::keyPressEvent(QKeyEvent* event) {
    if (LTKeyPressTableViewAdditions::_performKeyPressFromKeyDown(this, _delegate, *event))
        event->accept();
    else
        QTreeView::keyPressEvent(event);
}
