#include "VTDropInTipsView.h"

#include "VTDropInTipsViewDelegate.h"

#include "utils/VTFileDrop.h"

#include <QDragEnterEvent>
#include <QMimeData>
#include <QPainter>

VTDropInTipsView::VTDropInTipsView(QWidget* parent) : QWidget(parent) {
    setDefaultValue();
    setAcceptDrops(true);
}

void VTDropInTipsView::setDefaultValue() {
    _tips.setDefaultValue();
}

bool VTDropInTipsView::draggingEntered(const QMimeData* data, Qt::DropActions sourceActions) {
    if (!sourceActions.testFlag(Qt::CopyAction) || VTFileDrop::droppedFilePaths(data).isEmpty())
        return false;
    _tips.bHighlighted = true;
    update();
    return true;
}

void VTDropInTipsView::draggingExited() {
    _tips.bHighlighted = false;
    update();
}

bool VTDropInTipsView::prepareForDragOperation() {
    draggingExited();
    return true;
}

bool VTDropInTipsView::performDragOperation(const QMimeData* data) {
    const QStringList paths = VTFileDrop::droppedFilePaths(data);
    if (paths.isEmpty() || !_delegate)
        return true;
    return _delegate->didVTDropInTipsViewAcceptDrag(this, paths);
}

void VTDropInTipsView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    _tips.draw(painter, QRectF(rect()), font());
}

void VTDropInTipsView::dragEnterEvent(QDragEnterEvent* event) {
    if (draggingEntered(event->mimeData(), event->possibleActions())) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void VTDropInTipsView::dragLeaveEvent(QDragLeaveEvent*) {
    draggingExited();
}

void VTDropInTipsView::dropEvent(QDropEvent* event) {
    if (prepareForDragOperation() && performDragOperation(event->mimeData())) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}
