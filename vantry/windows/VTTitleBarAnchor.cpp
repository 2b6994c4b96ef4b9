#include "VTTitleBarAnchor.h"

#include <QEvent>
#include <QWidget>

VTTitleBarAnchor::VTTitleBarAnchor(QWidget* window, QWidget* view, bool keepsRightDistance)
    : QObject(view), _view(view), _keepsRightDistance(keepsRightDistance),
      _rightDistance(window->width() - view->x()) {
    setObjectName(QStringLiteral("VTTitleBarAnchor"));
    if (_keepsRightDistance)
        _window.watch(window, this);
}

bool VTTitleBarAnchor::eventFilter(QObject* watched, QEvent* event) {
    if (_window.is(watched) && event->type() == QEvent::Resize)
        _view->move(_window->width() - _rightDistance, _view->y());
    return false;
}
