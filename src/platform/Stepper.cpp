#include "platform/Stepper.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace {
QPainterPath triangle(const QPointF& tip, double halfWidth, double height) {
    QPainterPath path;
    path.moveTo(tip);
    path.lineTo(tip.x() + halfWidth, tip.y() + height);
    path.lineTo(tip.x() - halfWidth, tip.y() + height);
    path.closeSubpath();
    return path;
}
} // namespace

Stepper::Stepper(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::NoFocus);
    resize(sizeHint());
}

void Stepper::setMinValue(double value) {
    _minValue = value;
    setDoubleValue(_doubleValue);
}

void Stepper::setMaxValue(double value) {
    _maxValue = value;
    setDoubleValue(_doubleValue);
}

void Stepper::setDoubleValue(double value) {
    _doubleValue = std::clamp(value, _minValue, std::max(_minValue, _maxValue));
}

void Stepper::stepUp() {
    setDoubleValue(_doubleValue + _increment);
    Q_EMIT activated();
}

void Stepper::stepDown() {
    setDoubleValue(_doubleValue - _increment);
    Q_EMIT activated();
}

void Stepper::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    _pressed = event->position().y() < height() * 0.5 ? Half::Upper : Half::Lower;
    update();
    if (_pressed == Half::Upper)
        stepUp();
    else
        stepDown();
}

void Stepper::mouseReleaseEvent(QMouseEvent*) {
    _pressed = Half::None;
    update();
}

void Stepper::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);
    const QRectF bounds = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const double middle = bounds.center().y();
    painter.setPen(QColor(120, 124, 130));
    painter.setBrush(QColor(246, 247, 248));
    painter.drawRoundedRect(bounds, 3.0, 3.0);
    const QColor pressed(200, 204, 210);
    if (_pressed == Half::Upper)
        painter.fillRect(QRectF(bounds.left() + 1, bounds.top() + 1, bounds.width() - 2,
                                middle - bounds.top() - 1),
                         pressed);
    else if (_pressed == Half::Lower)
        painter.fillRect(
            QRectF(bounds.left() + 1, middle, bounds.width() - 2, bounds.bottom() - middle - 1),
            pressed);
    painter.drawLine(QPointF(bounds.left(), middle), QPointF(bounds.right(), middle));

    const QColor arrow = isEnabled() ? QColor(60, 62, 66) : QColor(160, 162, 166);
    const double halfWidth = std::min(3.5, bounds.width() * 0.25);
    const double centreX = bounds.center().x();
    painter.setPen(Qt::NoPen);
    painter.setBrush(arrow);
    painter.drawPath(triangle(QPointF(centreX, middle - 7.0), halfWidth, 4.0));
    painter.setTransform(QTransform::fromTranslate(0, 2.0 * middle).scale(1.0, -1.0), true);
    painter.drawPath(triangle(QPointF(centreX, middle - 7.0), halfWidth, 4.0));
}
