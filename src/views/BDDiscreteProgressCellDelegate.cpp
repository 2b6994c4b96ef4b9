#include "views/BDDiscreteProgressCellDelegate.h"

#include "views/RMTableView.h"
#include "views/RMTableViewDataSource.h"

#include <QPainter>

BDDiscreteProgressCellDelegate::BDDiscreteProgressCellDelegate(QObject* parent)
    : QStyledItemDelegate(parent) {}

void BDDiscreteProgressCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                           const QModelIndex& index) const {
    QStyledItemDelegate::paint(painter, option, index);

    _cell.setProgress(nullptr);
    auto* table = qobject_cast<RMTableView*>(const_cast<QWidget*>(option.widget));
    if (table && table->dataSource())
        table->dataSource()->tableViewWillDisplayCellForTableColumnRow(table, _cell, index.column(),
                                                                       index.row());
    _cell.drawInteriorWithFrameInView(*painter, option.rect, option.widget);
}
