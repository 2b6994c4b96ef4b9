#pragma once

#include "VTOnOffSwitchControlCell.h"

#include <QAbstractButton>

#include <optional>

// A sliding on/off switch: drag or click its thumb, or move it with the left and right
// arrow keys (a beep at either end). The state is 0 off, 1 on, -1 mixed when the cell
// allows it; the button counts as checked when on. clicked() follows every release that
// toggled the switch or let its thumb go, wherever the pointer was let go.
class VTOnOffSwitchControl : public QAbstractButton {
    Q_OBJECT
public:
    explicit VTOnOffSwitchControl(QWidget* parent = nullptr);

    VTOnOffSwitchControlCell& cell() { return _cell; }
    const VTOnOffSwitchControlCell& cell() const { return _cell; }

    int state() const { return _cell.state(); }
    void setState(int state);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void nextCheckState() override;
    bool hitButton(const QPoint& pos) const override;

private:
    // The state an arrow key leads to, or nothing at that end of the switch.
    std::optional<int> stateAfterArrow(int key) const;

    VTOnOffSwitchControlCell _cell;
    QPointF _lastPoint;
};
