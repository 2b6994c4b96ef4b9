#pragma once

#include "utils/VTWatchedObject.h"

#include <QObject>

class QWidget;

// Keeps a view in a window's top strip at its distance to the window's right side while
// the window is resized (views kept to the left side need nothing). Owned by the view.
class VTTitleBarAnchor : public QObject {
    Q_OBJECT
public:
    VTTitleBarAnchor(QWidget* window, QWidget* view, bool keepsRightDistance);

    bool keepsRightDistance() const { return _keepsRightDistance; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    VTWatchedObject<QWidget> _window;
    QWidget* _view;
    bool _keepsRightDistance;
    int _rightDistance;
};
