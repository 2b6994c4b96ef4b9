#include "VTOnOffSwitchControl.h"

#include "platform/SystemBeep.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

VTOnOffSwitchControl::VTOnOffSwitchControl(QWidget* parent) : QAbstractButton(parent) {
    setCheckable(true);
    setFocusPolicy(Qt::StrongFocus);
    resize(sizeHint());
}

void VTOnOffSwitchControl::setState(int state) {
    _cell.setState(state);
    setChecked(_cell.state() == 1);
    update();
}

QSize VTOnOffSwitchControl::sizeHint() const {
    return QSize(80, 24);
}

void VTOnOffSwitchControl::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const VTOnOffSwitchControlCell::DrawState view{isEnabled(), hasFocus()};
    _cell.drawWithFrameInView(painter, QRectF(rect()), view);
}

void VTOnOffSwitchControl::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Left || event->key() == Qt::Key_Right) {
        event->accept();
        return;
    }
    QAbstractButton::keyPressEvent(event);
}

std::optional<int> VTOnOffSwitchControl::stateAfterArrow(int key) const {
    const int state = _cell.state();
    const bool mixed = _cell.allowsMixedState();
    if (key == Qt::Key_Right && state != 1)
        return state == 0 && mixed ? -1 : 1;
    if (key == Qt::Key_Left && state != 0)
        return state == 1 && mixed ? -1 : 0;
    return std::nullopt;
}

void VTOnOffSwitchControl::keyReleaseEvent(QKeyEvent* event) {
    if (event->key() != Qt::Key_Left && event->key() != Qt::Key_Right) {
        QAbstractButton::keyReleaseEvent(event);
        return;
    }
    event->accept();
    if (event->isAutoRepeat())
        return;
    if (const std::optional<int> next = stateAfterArrow(event->key()))
        setState(*next);
    else
        SystemBeep::beep();
}

bool VTOnOffSwitchControl::hitButton(const QPoint& pos) const {
    return _cell.hitTestForEventInRectOfView(pos, QRectF(rect())) !=
           VTOnOffSwitchControlCell::NSCellHitNone;
}

void VTOnOffSwitchControl::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !hitButton(event->position().toPoint())) {
        event->ignore();
        return;
    }
    _lastPoint = event->position();
    _cell.startTrackingAtInView(_lastPoint, this);
    update();
}

void VTOnOffSwitchControl::mouseMoveEvent(QMouseEvent* event) {
    if (!_cell.isTracking()) {
        event->ignore();
        return;
    }
    _cell.continueTrackingAtInView(_lastPoint, event->position(), this);
    _lastPoint = event->position();
}

// A click toggles only when let go over the switch; a drag ends where the thumb was let go,
// inside the switch or not.
void VTOnOffSwitchControl::mouseReleaseEvent(QMouseEvent* event) {
    if (!_cell.isTracking() || event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    const bool click =
        _cell.stopTrackingAtInViewMouseIsUp(_lastPoint, event->position(), this, true);
    update();
    if (click && !hitButton(event->position().toPoint()))
        return;
    if (click)
        nextCheckState();
    else
        setState(_cell.state());
    Q_EMIT clicked(isChecked());
}

void VTOnOffSwitchControl::nextCheckState() {
    setState(_cell.nextState());
}
