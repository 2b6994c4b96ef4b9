#pragma once

#include "views/RMTableViewDataSource.h"

#include <QTableView>

// The file table. Rows dragged out of it and released elsewhere are deleted through the
// data source; dropped files are handed to the data source. The item model must give
// rows Qt::ItemIsDragEnabled for them to be dragged.
class RMTableView : public QTableView {
    Q_OBJECT
public:
    // What the current drag has done so far.
    enum DragDirection : int {
        DragNone = -1,     // no drag yet
        DragLeftTable = 0, // a drag of the table's own rows has left the table
        DragOverTable = 1, // a drag is over the table
    };

    explicit RMTableView(QWidget* parent = nullptr);

    RMTableViewDataSource* dataSource() const { return _dataSource; }
    void setDataSource(RMTableViewDataSource* dataSource) { _dataSource = dataSource; }

    int dragDirction() const { return _dragDirction; }
    // Whether deleting dragged-out rows shows a puff where they were released (on).
    void setShowsPoof(bool shows) { _bShowsPoof = shows; }
    // True while the table runs a drag of its own rows.
    bool isDraggingOwnRows() const { return _bDraggingOwnRows; }

    // The steps of a drag as the table sees them, also reachable without a real drag
    // session (a drag runs a nested event loop).
    void draggingEntered();
    void draggingExited();
    // The table's own row drag is over: rows released outside the table are deleted.
    void draggingEnded();
    // Asks the data source for the selected rows' drag data and, when it agrees, marks
    // the table as running a drag of its own rows (what startDrag does before the drag's
    // nested loop).
    bool prepareRowDrag(QMimeData* pasteboard);
    // Every operation for a drag that stays in this program, copy for any other.
    static Qt::DropActions draggingSourceOperationMaskForLocal(bool isLocal);

Q_SIGNALS:
    // Rows were dropped outside the table and deleted (where to show a "poof").
    void rowsDraggedOut(const QPoint& globalPosition);

protected:
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    QList<int> selectedRowIndexes() const;
    int dropRowAt(const QPoint& position) const;
    RMTableViewDropOperation dropOperation() const;

    RMTableViewDataSource* _dataSource = nullptr;
    int _dragDirction = DragNone;
    bool _bDraggingOwnRows = false;
    bool _bShowsPoof = true;
};
