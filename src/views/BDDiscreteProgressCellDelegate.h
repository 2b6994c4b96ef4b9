#pragma once

#include "views/BDDiscreteProgressCell.h"

#include <QStyledItemDelegate>

// Hosts a BDDiscreteProgressCell in a table column: paints the cell's usual background
// and selection, lets the table's data source hand the row's indicator to the cell, then
// paints the indicator. One painter serves every row; no widget per row.
class BDDiscreteProgressCellDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit BDDiscreteProgressCellDelegate(QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

private:
    mutable BDDiscreteProgressCell _cell;
};
