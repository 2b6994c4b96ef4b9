#include "VTCommonView.h"

#include "VTCommonViewDelegate.h"

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

template <typename Event> void answerDrag(const VTCommonView& view, Event* event) {
    if (view.draggingEntered(event->mimeData(), event->possibleActions()) == Qt::CopyAction) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}
} // namespace

VTCommonView::VTCommonView(QWidget* parent) : QWidget(parent) {}

void VTCommonView::setEnableDragAndDrop(bool enable) {
    _enableDragAndDrop = enable;
    setAcceptDrops(enable);
}

Qt::DropAction VTCommonView::draggingEntered(const QMimeData* data,
                                             Qt::DropActions sourceActions) const {
    if (sourceActions.testFlag(Qt::CopyAction) && !droppedFilePaths(data).isEmpty())
        return Qt::CopyAction;
    return Qt::IgnoreAction;
}

bool VTCommonView::performDragOperation(const QMimeData* data) {
    const QStringList paths = droppedFilePaths(data);
    if (paths.isEmpty() || !_wndDelegate)
        return true;
    return _wndDelegate->didWindowAccepteDragFiles(this, paths);
}

void VTCommonView::dragEnterEvent(QDragEnterEvent* event) {
    answerDrag(*this, event);
}

void VTCommonView::dragMoveEvent(QDragMoveEvent* event) {
    answerDrag(*this, event);
}

void VTCommonView::dropEvent(QDropEvent* event) {
    if (performDragOperation(event->mimeData())) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}
