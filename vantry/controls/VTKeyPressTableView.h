#pragma once

#include <QTableView>

class VTKeyPressTableViewDelegate;

// A table that handles Return, Backspace and the arrow keys for its delegate first
// (LTKeyPressTableViewAdditions); keys it leaves go to the table as usual.
class VTKeyPressTableView : public QTableView {
    Q_OBJECT
public:
    explicit VTKeyPressTableView(QWidget* parent = nullptr);

    VTKeyPressTableViewDelegate* delegate() const { return _delegate; }
    void setDelegate(VTKeyPressTableViewDelegate* delegate) { _delegate = delegate; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    VTKeyPressTableViewDelegate* _delegate = nullptr;
};
