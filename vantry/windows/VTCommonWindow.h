#pragma once

#include <QWidget>

class QMimeData;
class VTCommonWindowDelegate;

// A top-level window that, when made with drops enabled, takes files dropped on it and
// hands their paths to its delegate. Whether it takes drops is decided once, when it is
// made.
class VTCommonWindow : public QWidget {
    Q_OBJECT
public:
    explicit VTCommonWindow(QWidget* parent = nullptr, bool enableDragAndDrop = false);

    bool enableDragAndDrop() const { return _enableDragAndDrop; }
    // Stored only: drops were registered, or not, when the window was made.
    void setEnableDragAndDrop(bool enable) { _enableDragAndDrop = enable; }
    VTCommonWindowDelegate* wndDelegate() const { return _wndDelegate; }
    void setWndDelegate(VTCommonWindowDelegate* delegate) { _wndDelegate = delegate; }

    // The drag steps, also reachable without a real drag session. A drag is offered the
    // copy action when it may be copied and carries file names.
    Qt::DropAction draggingEntered(const QMimeData* data, Qt::DropActions sourceActions) const;
    bool performDragOperation(const QMimeData* data);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void awakeFromNib();

    bool _enableDragAndDrop = false;
    VTCommonWindowDelegate* _wndDelegate = nullptr;
};
