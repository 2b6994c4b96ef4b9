#include "VTCommonView.h"

#include "VTCommonViewDelegate.h"

#include "utils/VTFileDrop.h"

#include <QDragEnterEvent>

VTCommonView::VTCommonView(QWidget* parent) : QWidget(parent) {}

void VTCommonView::setEnableDragAndDrop(bool enable) {
    _enableDragAndDrop = enable;
    setAcceptDrops(enable);
}

Qt::DropAction VTCommonView::draggingEntered(const QMimeData* data,
                                             Qt::DropActions sourceActions) const {
    return VTFileDrop::copyActionForFiles(data, sourceActions);
}

bool VTCommonView::performDragOperation(const QMimeData* data) {
    const QStringList paths = VTFileDrop::droppedFilePaths(data);
    if (paths.isEmpty() || !_wndDelegate)
        return true;
    return _wndDelegate->didWindowAccepteDragFiles(this, paths);
}

void VTCommonView::dragEnterEvent(QDragEnterEvent* event) {
    VTFileDrop::answer(event, draggingEntered(event->mimeData(), event->possibleActions()) ==
                                  Qt::CopyAction);
}

void VTCommonView::dragMoveEvent(QDragMoveEvent* event) {
    VTFileDrop::answer(event, draggingEntered(event->mimeData(), event->possibleActions()) ==
                                  Qt::CopyAction);
}

void VTCommonView::dropEvent(QDropEvent* event) {
    VTFileDrop::answer(event, performDragOperation(event->mimeData()));
}
