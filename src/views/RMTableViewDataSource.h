#pragma once

#include <QList>
#include <Qt>

class BDDiscreteProgressCell;
class QMimeData;
class RMTableView;

// Where a drag would land: on a row, or between rows (above the proposed row).
enum RMTableViewDropOperation : int {
    RMTableViewDropOn = 0,
    RMTableViewDropAbove = 1,
};

// What the file table asks of its controller beside the item model: drags in and out of
// the table, drops of files, and the progress cell of each row before it is painted.
// Every method has an empty default, so a controller implements only what it needs.
class RMTableViewDataSource {
public:
    virtual ~RMTableViewDataSource() = default;

    // A drag entered or left the table.
    virtual void didDragEntered() {}
    virtual void didDragExited() {}
    // Rows of the table were dragged out of it and released elsewhere: remove the rows
    // recorded when the drag began.
    virtual void dragRowsToDelete() {}

    // A drag of rows (sorted ascending) is about to begin; fill pasteboard and answer
    // whether the drag may start.
    virtual bool tableViewWriteRowsWithIndexesToPasteboard(RMTableView* tableView,
                                                           const QList<int>& rowIndexes,
                                                           QMimeData* pasteboard) {
        (void)tableView;
        (void)rowIndexes;
        (void)pasteboard;
        return false;
    }
    // The operation offered while a drag moves over the table; Qt::IgnoreAction refuses.
    virtual Qt::DropAction
    tableViewValidateDropProposedRowProposedDropOperation(RMTableView* tableView,
                                                          const QMimeData* info, int row,
                                                          RMTableViewDropOperation operation) {
        (void)tableView;
        (void)info;
        (void)row;
        (void)operation;
        return Qt::IgnoreAction;
    }
    // A drag was released over the table; answer whether it was taken.
    virtual bool tableViewAcceptDropRowDropOperation(RMTableView* tableView, const QMimeData* info,
                                                     int row, RMTableViewDropOperation operation) {
        (void)tableView;
        (void)info;
        (void)row;
        (void)operation;
        return false;
    }
    // The progress cell of (row, column) is about to paint: give it the row's indicator.
    virtual void tableViewWillDisplayCellForTableColumnRow(RMTableView* tableView,
                                                           BDDiscreteProgressCell& cell, int column,
                                                           int row) {
        (void)tableView;
        (void)cell;
        (void)column;
        (void)row;
    }
};
