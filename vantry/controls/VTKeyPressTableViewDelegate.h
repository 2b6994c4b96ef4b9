#pragma once

class QAbstractItemView;

// What a key-press table or outline view tells its delegate. Every message is optional: a
// delegate answers those for which respondsToMessage() says yes, and the view sends no
// other (it handles those keys as if there were no delegate).
class VTKeyPressTableViewDelegate {
public:
    enum Message {
        PreventEnterEditing,
        DeleteSelection,
        CommondUpKeys,
        CommondDownKeys,
        GoLeft,
        GoRight,
    };

    virtual ~VTKeyPressTableViewDelegate() = default;
    virtual bool respondsToMessage(Message message) const {
        (void)message;
        return false;
    }

    // True keeps Return from starting to edit.
    virtual bool preventEnterEditingTableView(QAbstractItemView* tableView) {
        (void)tableView;
        return false;
    }
    virtual void deleteSelectionFromTableView(QAbstractItemView* tableView) { (void)tableView; }
    virtual void didClickCommondUpKeys(QAbstractItemView* tableView) { (void)tableView; }
    virtual void didClickCommondDownKeys(QAbstractItemView* tableView) { (void)tableView; }
    virtual void goLeftFromTableView(QAbstractItemView* tableView) { (void)tableView; }
    virtual void goRightFromTableView(QAbstractItemView* tableView) { (void)tableView; }
};
