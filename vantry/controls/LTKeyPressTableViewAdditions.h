#pragma once

class QAbstractItemView;
class QKeyEvent;
class QModelIndex;
class VTKeyPressTableViewDelegate;

// The keys a table or outline view handles for its delegate: Return edits the selected
// row's first editable column, Backspace deletes the selection through the delegate,
// Ctrl+Up and Ctrl+Down are reported (and then moved as usual), Left and Right are handed
// to the delegate.
class LTKeyPressTableViewAdditions {
public:
    // True when the key was handled and the view must not handle it as well. delegate may
    // be null.
    static bool _performKeyPressFromKeyDown(QAbstractItemView* tableView,
                                            VTKeyPressTableViewDelegate* delegate,
                                            const QKeyEvent& event);

private:
    static bool returnPressed(QAbstractItemView* tableView, VTKeyPressTableViewDelegate* delegate);
    static bool backspacePressed(QAbstractItemView* tableView,
                                 VTKeyPressTableViewDelegate* delegate);
    // The selected row's index in its first column, or an invalid index.
    static QModelIndex selectedRow(const QAbstractItemView* tableView);
    // The first column in display order whose cell in row is editable, or an invalid index.
    static QModelIndex firstEditableCell(const QAbstractItemView* tableView,
                                         const QModelIndex& row);
};
