#pragma once

#include <QTreeView>

class VTKeyPressTableViewDelegate;

// An outline view that handles Return, Backspace and the arrow keys for its delegate first
// (LTKeyPressTableViewAdditions); keys it leaves go to the outline view as usual.
class VTKeyPressOutlineView : public QTreeView {
    Q_OBJECT
public:
    explicit VTKeyPressOutlineView(QWidget* parent = nullptr);

    VTKeyPressTableViewDelegate* delegate() const { return _delegate; }
    void setDelegate(VTKeyPressTableViewDelegate* delegate) { _delegate = delegate; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    VTKeyPressTableViewDelegate* _delegate = nullptr;
};
