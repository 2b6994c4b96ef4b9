#include "VTCommonWindow.h"

#include "VTCommonWindowDelegate.h"

#include "utils/VTFileDrop.h"

#include <QDragEnterEvent>

VTCommonWindow::VTCommonWindow(QWidget* parent, bool enableDragAndDrop)
    : QWidget(parent, Qt::Window), _enableDragAndDrop(enableDragAndDrop) {
    awakeFromNib();
}

void VTCommonWindow::awakeFromNib() {
    setAcceptDrops(_enableDragAndDrop);
}

Qt::DropAction VTCommonWindow::draggingEntered(const QMimeData* data,
                                               Qt::DropActions sourceActions) const {
    return VTFileDrop::copyActionForFiles(data, sourceActions);
}

bool VTCommonWindow::performDragOperation(const QMimeData* data) {
    const QStringList paths = VTFileDrop::droppedFilePaths(data);
    if (paths.isEmpty() || !_wndDelegate)
        return true;
    return _wndDelegate->didWindowAccepteDragFiles(this, paths);
}

void VTCommonWindow::dragEnterEvent(QDragEnterEvent* event) {
    VTFileDrop::answer(event, draggingEntered(event->mimeData(), event->possibleActions()) ==
                                  Qt::CopyAction);
}

void VTCommonWindow::dragMoveEvent(QDragMoveEvent* event) {
    VTFileDrop::answer(event, draggingEntered(event->mimeData(), event->possibleActions()) ==
                                  Qt::CopyAction);
}

void VTCommonWindow::dropEvent(QDropEvent* event) {
    VTFileDrop::answer(event, performDragOperation(event->mimeData()));
}
