#include "VTCommonWindow.h"

#include "VTCommonWindowDelegate.h"

#include <QDragEnterEvent>
#include <QMimeData>
#include <QUrl>

namespace {
QStringList droppedFilePaths(const QMimeData* data) {
    QStringList paths;
    if (!data || !data->hasUrls())
        return paths;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile())
            paths << url.toLocalFile();
    return paths;
}
} // namespace

VTCommonWindow::VTCommonWindow(QWidget* parent, bool enableDragAndDrop)
    : QWidget(parent, Qt::Window), _enableDragAndDrop(enableDragAndDrop) {
    awakeFromNib();
}

void VTCommonWindow::awakeFromNib() {
    setAcceptDrops(_enableDragAndDrop);
}

Qt::DropAction VTCommonWindow::draggingEntered(const QMimeData* data,
                                               Qt::DropActions sourceActions) const {
    if (sourceActions.testFlag(Qt::CopyAction) && !droppedFilePaths(data).isEmpty())
        return Qt::CopyAction;
    return Qt::IgnoreAction;
}

bool VTCommonWindow::performDragOperation(const QMimeData* data) {
    const QStringList paths = droppedFilePaths(data);
    if (paths.isEmpty() || !_wndDelegate)
        return true;
    return _wndDelegate->didWindowAccepteDragFiles(this, paths);
}

void VTCommonWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (draggingEntered(event->mimeData(), event->possibleActions()) == Qt::CopyAction) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void VTCommonWindow::dragMoveEvent(QDragMoveEvent* event) {
    if (draggingEntered(event->mimeData(), event->possibleActions()) == Qt::CopyAction) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void VTCommonWindow::dropEvent(QDropEvent* event) {
    if (performDragOperation(event->mimeData())) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}
