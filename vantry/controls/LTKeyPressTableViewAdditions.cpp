#include "LTKeyPressTableViewAdditions.h"

#include "VTKeyPressTableViewDelegate.h"

#include "platform/SystemBeep.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTableView>
#include <QTreeView>

namespace {
using Delegate = VTKeyPressTableViewDelegate;

bool responds(const Delegate* delegate, Delegate::Message message) {
    return delegate && delegate->respondsToMessage(message);
}

const QHeaderView* columnHeader(const QAbstractItemView* view) {
    if (auto* table = qobject_cast<const QTableView*>(view))
        return table->horizontalHeader();
    if (auto* tree = qobject_cast<const QTreeView*>(view))
        return tree->header();
    return nullptr;
}

void selectEditorText(QAbstractItemView* view) {
    const auto editors = view->viewport()->findChildren<QLineEdit*>();
    for (QLineEdit* editor : editors)
        editor->selectAll();
}
} // namespace

bool LTKeyPressTableViewAdditions::_performKeyPressFromKeyDown(QAbstractItemView* tableView,
                                                               Delegate* delegate,
                                                               const QKeyEvent& event) {
    if (!tableView)
        return false;
    const bool command = event.modifiers().testFlag(Qt::ControlModifier);
    switch (event.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return returnPressed(tableView, delegate);
    case Qt::Key_Backspace:
        return backspacePressed(tableView, delegate);
    case Qt::Key_Up:
        if (command && responds(delegate, Delegate::CommondUpKeys))
            delegate->didClickCommondUpKeys(tableView);
        return false;
    case Qt::Key_Down:
        if (command && responds(delegate, Delegate::CommondDownKeys))
            delegate->didClickCommondDownKeys(tableView);
        return false;
    case Qt::Key_Left:
        if (!responds(delegate, Delegate::GoLeft))
            return false;
        delegate->goLeftFromTableView(tableView);
        return true;
    case Qt::Key_Right:
        if (!responds(delegate, Delegate::GoRight))
            return false;
        delegate->goRightFromTableView(tableView);
        return true;
    default:
        return false;
    }
}

bool LTKeyPressTableViewAdditions::returnPressed(QAbstractItemView* tableView, Delegate* delegate) {
    if (responds(delegate, Delegate::PreventEnterEditing) &&
        delegate->preventEnterEditingTableView(tableView))
        return false;
    const QModelIndex row = selectedRow(tableView);
    if (!row.isValid()) {
        SystemBeep::beep();
        return true;
    }
    const QModelIndex cell = firstEditableCell(tableView, row);
    if (!cell.isValid())
        return false;
    tableView->setCurrentIndex(cell);
    tableView->edit(cell);
    selectEditorText(tableView);
    return true;
}

bool LTKeyPressTableViewAdditions::backspacePressed(QAbstractItemView* tableView,
                                                    Delegate* delegate) {
    if (!responds(delegate, Delegate::DeleteSelection))
        return false;
    if (!selectedRow(tableView).isValid()) {
        SystemBeep::beep();
        return true;
    }
    delegate->deleteSelectionFromTableView(tableView);
    return true;
}

QModelIndex LTKeyPressTableViewAdditions::selectedRow(const QAbstractItemView* tableView) {
    const QItemSelectionModel* selection = tableView->selectionModel();
    if (!selection || !selection->hasSelection())
        return {};
    const QModelIndex current = tableView->currentIndex();
    const QModelIndex chosen = current.isValid() && selection->isSelected(current)
                                   ? current
                                   : selection->selectedIndexes().value(0);
    return chosen.siblingAtColumn(0);
}

QModelIndex LTKeyPressTableViewAdditions::firstEditableCell(const QAbstractItemView* tableView,
                                                            const QModelIndex& row) {
    const QAbstractItemModel* model = tableView->model();
    const QHeaderView* header = columnHeader(tableView);
    const int columns = model->columnCount(row.parent());
    for (int visual = 0; visual < columns; ++visual) {
        const int column = header ? header->logicalIndex(visual) : visual;
        if (column < 0 || (header && header->isSectionHidden(column)))
            continue;
        const QModelIndex cell = row.siblingAtColumn(column);
        if (model->flags(cell).testFlag(Qt::ItemIsEditable))
            return cell;
    }
    return {};
}
