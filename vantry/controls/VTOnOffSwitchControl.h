#pragma once

#include "VTOnOffSwitchControlCell.h"

#include <QAbstractButton>

#include <optional>

// A sliding on/off switch: drag or click its thumb, or move it with the left and right
// arrow keys (a beep at either end). The state is 0 off, 1 on, -1 mixed when the cell
// allows it. The button is checked exactly when the switch is on, whichever way the state
// changes: setChecked(true/false) turns it on/off, click() and toggle() step it as a click
// does, and an exclusive button group may turn it off. clicked() follows every release that
// toggled the switch or let its thumb go, wherever the pointer was let go. A press that will
// see no release (the switch disabled or hidden, its window blocked, the grab lost) ends
// with the state as it was and fires nothing; so does a press a pop-up takes the mouse from.
// A toggled handler that changes the check state has the last word, as on a check box,
// whichever way the toggle came (mouse, Space, animateClick()); a toggled or clicked handler
// may delete the switch.
class VTOnOffSwitchControl : public QAbstractButton {
    Q_OBJECT
public:
    explicit VTOnOffSwitchControl(QWidget* parent = nullptr);

    VTOnOffSwitchControlCell& cell() { return _cell; }
    const VTOnOffSwitchControlCell& cell() const { return _cell; }

    int state() const { return _cell.state(); }
    void setState(int state);

    QSize sizeHint() const override;

public Q_SLOTS:
    // Steps the state as a click does. Called through a QAbstractButton pointer, Qt's own
    // toggle() flips the check state instead, which the switch follows (on or off).
    void toggle();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void nextCheckState() override;
    void checkStateSet() override;
    bool hitButton(const QPoint& pos) const override;

private:
    // The state an arrow key leads to, or nothing at that end of the switch.
    std::optional<int> stateAfterArrow(int key) const;
    void cellStateChanged();
    void endPressWithoutRelease();

    VTOnOffSwitchControlCell _cell;
    QPointF _lastPoint;
    // The check state being set to follow the cell's, while it is being set.
    std::optional<bool> _checkedBeingApplied;
};
