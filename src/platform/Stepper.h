#pragma once

#include <QWidget>

// A small up-and-down stepper: a press on the upper half raises the value by the increment,
// a press on the lower half lowers it; the value stays within its range (no wrapping) and
// each press is reported once through activated(). It never takes the keyboard focus, so
// the field being edited keeps it.
class Stepper : public QWidget {
    Q_OBJECT
public:
    explicit Stepper(QWidget* parent = nullptr);

    double minValue() const { return _minValue; }
    void setMinValue(double value);
    double maxValue() const { return _maxValue; }
    void setMaxValue(double value);
    double increment() const { return _increment; }
    void setIncrement(double increment) { _increment = increment; }
    double doubleValue() const { return _doubleValue; }
    void setDoubleValue(double value);

    void stepUp();
    void stepDown();

    QSize sizeHint() const override { return QSize(15, 22); }

Q_SIGNALS:
    void activated();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    enum class Half { None, Upper, Lower };

    double _minValue = 0.0;
    double _maxValue = 59.0;
    double _increment = 1.0;
    double _doubleValue = 0.0;
    Half _pressed = Half::None;
};
