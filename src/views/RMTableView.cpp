#include "views/RMTableView.h"

#include "views/QVPoofEffect.h"
#include "views/RMTableViewDataSource.h"

#include <QCursor>
#include <QDrag>
#include <QDragEnterEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMimeData>

#include <algorithm>
#include <memory>

RMTableView::RMTableView(QWidget* parent) : QTableView(parent) {
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDropIndicatorShown(false);
    setAlternatingRowColors(true);
    setShowGrid(false);
    setWordWrap(false);
    verticalHeader()->hide();
}

void RMTableView::draggingEntered() {
    if (_dataSource)
        _dataSource->didDragEntered();
    _dragDirction = DragOverTable;
}

void RMTableView::draggingExited() {
    if (_dataSource)
        _dataSource->didDragExited();
    if (_bDraggingOwnRows)
        _dragDirction = DragLeftTable;
}

void RMTableView::draggingEnded() {
    const bool releasedOutside = _bDraggingOwnRows && _dragDirction == DragLeftTable;
    _bDraggingOwnRows = false;
    _dragDirction = DragNone;
    if (!releasedOutside)
        return;
    if (_dataSource)
        _dataSource->dragRowsToDelete();
    const QPoint releasedAt = QCursor::pos();
    if (_bShowsPoof)
        QVPoofEffect::showAt(releasedAt);
    Q_EMIT rowsDraggedOut(releasedAt);
}

bool RMTableView::prepareRowDrag(QMimeData* pasteboard) {
    const QList<int> rows = selectedRowIndexes();
    if (rows.isEmpty() || !_dataSource ||
        !_dataSource->tableViewWriteRowsWithIndexesToPasteboard(this, rows, pasteboard))
        return false;
    _bDraggingOwnRows = true;
    _dragDirction = DragNone;
    return true;
}

Qt::DropActions RMTableView::draggingSourceOperationMaskForLocal(bool isLocal) {
    return isLocal ? Qt::DropActions(Qt::CopyAction | Qt::MoveAction | Qt::LinkAction)
                   : Qt::DropActions(Qt::CopyAction);
}

QList<int> RMTableView::selectedRowIndexes() const {
    QList<int> rows;
    if (!selectionModel())
        return rows;
    for (const QModelIndex& index : selectionModel()->selectedRows())
        rows << index.row();
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

RMTableViewDropOperation RMTableView::dropOperation() const {
    return dropIndicatorPosition() == QAbstractItemView::OnItem ? RMTableViewDropOn
                                                                : RMTableViewDropAbove;
}

int RMTableView::dropRowAt(const QPoint& position) const {
    const int row = rowAt(position.y());
    if (row >= 0)
        return row;
    return model() ? model()->rowCount() : 0;
}

void RMTableView::startDrag(Qt::DropActions) {
    auto pasteboard = std::make_unique<QMimeData>();
    if (!prepareRowDrag(pasteboard.get()))
        return;

    QRect rowsArea;
    for (const QModelIndex& index : selectionModel()->selectedIndexes())
        rowsArea |= visualRect(index);
    rowsArea &= viewport()->rect();

    auto* drag = new QDrag(this); // owned by the table, as Qt's own views do
    drag->setMimeData(pasteboard.release());
    // Outside the table nothing takes the rows: say that releasing them removes them.
    drag->setDragCursor(QVPoofEffect::disappearingItemCursor(), Qt::IgnoreAction);
    if (!rowsArea.isEmpty()) {
        drag->setPixmap(viewport()->grab(rowsArea));
        drag->setHotSpot(viewport()->mapFromGlobal(QCursor::pos()) - rowsArea.topLeft());
    }
    // Rows dropped elsewhere never slide back: the release place decides alone.
    drag->exec(draggingSourceOperationMaskForLocal(true), Qt::MoveAction);
    draggingEnded();
}

void RMTableView::dragEnterEvent(QDragEnterEvent* event) {
    QTableView::dragEnterEvent(event);
    draggingEntered();
    // Always taken, so that moves, the leave and the release all reach the table.
    event->accept();
}

void RMTableView::dragMoveEvent(QDragMoveEvent* event) {
    QTableView::dragMoveEvent(event); // scrolls near the edges
    const Qt::DropAction action =
        _dataSource
            ? _dataSource->tableViewValidateDropProposedRowProposedDropOperation(
                  this, event->mimeData(), dropRowAt(event->position().toPoint()), dropOperation())
            : Qt::IgnoreAction;
    if (action == Qt::IgnoreAction) {
        event->ignore();
        return;
    }
    event->setDropAction(action);
    event->accept();
}

void RMTableView::dragLeaveEvent(QDragLeaveEvent* event) {
    QTableView::dragLeaveEvent(event);
    draggingExited();
}

void RMTableView::dropEvent(QDropEvent* event) {
    stopAutoScroll();
    setState(QAbstractItemView::NoState);
    viewport()->update();
    const bool taken = _dataSource && _dataSource->tableViewAcceptDropRowDropOperation(
                                          this, event->mimeData(),
                                          dropRowAt(event->position().toPoint()), dropOperation());
    if (taken)
        event->acceptProposedAction();
    else
        event->ignore();
}
