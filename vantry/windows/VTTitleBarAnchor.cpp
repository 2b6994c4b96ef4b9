#include "VTTitleBarAnchor.h"

#include <QEvent>
#include <QWidget>

VTTitleBarAnchor::VTTitleBarAnchor(QWidget* window, QWidget* view, bool keepsRightDistance)
    : QObject(view), _window(window), _view(view), _keepsRightDistance(keepsRightDistance),
      _rightDistance(window->width() - view->x()) {
    setObjectName(QStringLiteral("VTTitleBarAnchor"));
    if (_keepsRightDistance)
        window->installEventFilter(this);
}

bool VTTitleBarAnchor::eventFilter(QObject* watched, QEvent* event) {
    if (watched == _window && event->type() == QEvent::Resize)
        _view->move(_window->width() - _rightDistance, _view->y());
    return false;
}
