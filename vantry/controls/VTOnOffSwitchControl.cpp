#include "VTOnOffSwitchControl.h"

#include "platform/SystemBeep.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScopedValueRollback>
#include <QSignalBlocker>

VTOnOffSwitchControl::VTOnOffSwitchControl(QWidget* parent) : QAbstractButton(parent) {
    setCheckable(true);
    setFocusPolicy(Qt::StrongFocus);
    resize(sizeHint());
    _cell.setStateChangedHandler([this] { cellStateChanged(); });
}

void VTOnOffSwitchControl::setState(int state) {
    _cell.setState(state);
}

void VTOnOffSwitchControl::toggle() {
    nextCheckState();
}

// The check state follows the cell's. A toggled handler may answer with a check state of its
// own, which the cell then follows: Qt's keyboard and animateClick() path does not report that
// answer through checkStateSet(). An exclusive group that keeps its checked button checked
// sends the cell back to on.
// A handler may delete the switch. Qt's setChecked() goes on using the button after its own
// toggled signal, so the check state is set quietly and the switch emits toggled itself, then
// touches nothing once it is gone.
void VTOnOffSwitchControl::cellStateChanged() {
    const bool on = _cell.state() == 1;
    const bool wasChecked = isChecked();
    {
        const QSignalBlocker quiet(this);
        const QScopedValueRollback applying(_checkedBeingApplied, std::optional(on));
        setChecked(on);
    }
    const QPointer<VTOnOffSwitchControl> alive(this);
    if (isChecked() != wasChecked)
        Q_EMIT toggled(isChecked());
    if (!alive)
        return;
    if (isChecked() != (_cell.state() == 1))
        _cell.setState(isChecked() ? 1 : 0);
    if (alive)
        update();
}

// Qt's own changes of the check state (setChecked, toggle, button groups) reach the cell here,
// also setChecked(false) on a mixed switch, which leaves Qt's flag as it was. While the check
// state is being set to follow the cell, only a change made meanwhile elsewhere (by a handler
// of a group mate) goes back to it.
void VTOnOffSwitchControl::checkStateSet() {
    if (_checkedBeingApplied == isChecked())
        return;
    _cell.setState(isChecked() ? 1 : 0);
    update();
}

bool VTOnOffSwitchControl::event(QEvent* event) {
    switch (event->type()) {
    case QEvent::EnabledChange:
    case QEvent::Hide:
    case QEvent::WindowBlocked:
    case QEvent::UngrabMouse:
        endPressWithoutRelease();
        break;
    // A pop-up opened in the middle of a press takes the mouse and the keyboard: the switch
    // sees the pointer leave (no crossing is reported while a button is held otherwise) or the
    // focus go to the pop-up, and never sees the release.
    case QEvent::Leave:
        endPressWithoutRelease();
        break;
    case QEvent::FocusOut:
        if (static_cast<QFocusEvent*>(event)->reason() == Qt::PopupFocusReason)
            endPressWithoutRelease();
        break;
    default:
        break;
    }
    return QAbstractButton::event(event);
}

void VTOnOffSwitchControl::endPressWithoutRelease() {
    if (!_cell.isTracking())
        return;
    _cell.abortTracking();
    setDown(false);
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
    const QPointer<VTOnOffSwitchControl> alive(this);
    const bool click =
        _cell.stopTrackingAtInViewMouseIsUp(_lastPoint, event->position(), this, true);
    if (!alive)
        return;
    update();
    if (click && !hitButton(event->position().toPoint()))
        return;
    if (click)
        nextCheckState();
    if (alive)
        Q_EMIT clicked(isChecked());
}

void VTOnOffSwitchControl::nextCheckState() {
    setState(_cell.nextState());
}
