#pragma once

#include <QWidget>

class QMimeData;
class VTCommonViewDelegate;

// A view that, with drops enabled, takes files dropped on it and hands their paths to its
// delegate.
class VTCommonView : public QWidget {
    Q_OBJECT
public:
    explicit VTCommonView(QWidget* parent = nullptr);

    bool enableDragAndDrop() const { return _enableDragAndDrop; }
    void setEnableDragAndDrop(bool enable);
    VTCommonViewDelegate* wndDelegate() const { return _wndDelegate; }
    void setWndDelegate(VTCommonViewDelegate* delegate) { _wndDelegate = delegate; }

    // The drag steps, also reachable without a real drag session. A drag is offered the
    // copy action when it may be copied and carries file names.
    Qt::DropAction draggingEntered(const QMimeData* data, Qt::DropActions sourceActions) const;
    bool performDragOperation(const QMimeData* data);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    bool _enableDragAndDrop = false;
    VTCommonViewDelegate* _wndDelegate = nullptr;
};
