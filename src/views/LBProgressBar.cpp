#include "views/LBProgressBar.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <chrono>
#include <cmath>

namespace {
constexpr double kCornerRadius = 4.0;
constexpr double kStripeSpacing = 14.0;
constexpr double kLastPhase = 13.0;
constexpr std::chrono::milliseconds kFrameInterval{33}; // 30 redraws a second

QColor calibrated(int red, int green, int blue) {
    return QColor(red, green, blue);
}

// A gradient from the bottom of rect (first colour) to its top, in upward coordinates.
QLinearGradient upwardGradient(const QRectF& rect, const QColor& from, const QColor& to) {
    QLinearGradient gradient(QPointF(0, rect.top()), QPointF(0, rect.bottom()));
    gradient.setColorAt(0.0, from);
    gradient.setColorAt(1.0, to);
    return gradient;
}
} // namespace

LBProgressBar::LBProgressBar(QWidget* parent) : QWidget(parent) {
    setMinimumHeight(8);
}

LBProgressBar::~LBProgressBar() {
    _progressOffset = 0.0;
    setAnimator(nullptr);
}

void LBProgressBar::setMinValue(double value) {
    _minValue = value;
    update();
}

void LBProgressBar::setMaxValue(double value) {
    _maxValue = value;
    update();
}

void LBProgressBar::setDoubleValue(double value) {
    _doubleValue = value;
    update();
    if (!_displayedWhenStopped && value == _maxValue)
        stopAnimation(this);
}

void LBProgressBar::setAnimator(std::unique_ptr<QTimer> timer) {
    if (timer.get() == _animator.get())
        return;
    if (_animator)
        _animator->stop();
    _animator = std::move(timer);
}

void LBProgressBar::startAnimation(QObject*) {
    if (_animator)
        return;
    auto timer = std::make_unique<QTimer>();
    timer->setTimerType(Qt::PreciseTimer);
    timer->setInterval(kFrameInterval);
    connect(timer.get(), &QTimer::timeout, this, &LBProgressBar::activateAnimation);
    timer->start();
    setAnimator(std::move(timer));
}

void LBProgressBar::stopAnimation(QObject*) {
    setAnimator(nullptr);
}

void LBProgressBar::activateAnimation() {
    update();
}

double LBProgressBar::fraction() const {
    const float range = static_cast<float>(_maxValue - _minValue);
    if (!std::isfinite(_doubleValue) || !(range > 0.0f))
        return 0.0;
    const float share = static_cast<float>(_doubleValue - _minValue) / range;
    return std::clamp(static_cast<double>(share), 0.0, 1.0);
}

QRectF LBProgressBar::progressRect() const {
    const double share = fraction();
    const double fillWidth = share * width() - 4.0;
    if (share == 0.0 || fillWidth <= 0.0 || height() <= 5)
        return {};
    // (2, 2) from the lower-left corner, height - 5 high.
    return QRectF(2.0, 3.0, fillWidth, height() - 5.0);
}

void LBProgressBar::advancePhase() {
    _progressOffset = _progressOffset > kLastPhase ? 0.0 : _progressOffset + 1.0;
}

void LBProgressBar::paintEvent(QPaintEvent*) {
    advancePhase();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.translate(0, height());
    painter.scale(1, -1);
    drawBezel(painter);

    const QRectF fill = progressRect();
    if (fill.isEmpty())
        return;
    const QRectF upward(fill.x(), height() - fill.bottom(), fill.width(), fill.height());
    drawProgressWithBounds(painter, upward);
    drawStripesInBounds(painter, upward);
}

void LBProgressBar::drawBezel(QPainter& painter) const {
    const double w = width();
    const double h = height();
    painter.save();
    QPainterPath highlight;
    highlight.addRoundedRect(QRectF(0.5, 0.0, w - 1.0, h - 1.0), kCornerRadius, kCornerRadius);
    painter.setClipRect(QRectF(0.0, h / 2.0, w, h / 2.0));
    painter.setPen(QPen(QColor::fromRgbF(1.0f, 1.0f, 1.0f, 0.2f), 1.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(highlight);
    painter.restore();

    QPainterPath trough;
    trough.addRoundedRect(QRectF(0.0, 0.0, w, h - 1.0), kCornerRadius, kCornerRadius);
    painter.fillPath(trough, calibrated(25, 29, 33));
}

void LBProgressBar::drawProgressWithBounds(QPainter& painter, const QRectF& bounds) const {
    QPainterPath fill;
    fill.addRoundedRect(bounds, kCornerRadius, kCornerRadius);
    painter.fillPath(fill,
                     upwardGradient(bounds, calibrated(223, 237, 180), calibrated(156, 200, 84)));
}

void LBProgressBar::drawStripesInBounds(QPainter& painter, const QRectF& bounds) const {
    QPainterPath stripes;
    const double limit = bounds.width() / kStripeSpacing + kStripeSpacing;
    for (int k = 0; k <= limit; ++k)
        stripes.addPath(
            stripeWithOriginBounds(QPointF(_progressOffset + kStripeSpacing * k, 2.0), bounds));

    QPainterPath clip;
    clip.addRoundedRect(bounds, kCornerRadius, kCornerRadius);
    painter.setClipPath(clip, Qt::IntersectClip);
    painter.fillPath(stripes,
                     upwardGradient(bounds, calibrated(182, 216, 86), calibrated(126, 187, 55)));
}

QPainterPath LBProgressBar::stripeWithOriginBounds(const QPointF& origin,
                                                   const QRectF& bounds) const {
    const double h = static_cast<float>(bounds.height());
    const double x = origin.x();
    const double y = origin.y();
    QPainterPath stripe;
    stripe.moveTo(x, y);
    stripe.lineTo(x + 7.0, y);
    stripe.lineTo(x - 1.0, y + h);
    stripe.lineTo(x - 8.0, y + h);
    stripe.closeSubpath();
    return stripe;
}

void LBProgressBar::drawShadowInBounds(QPainter& painter, const QRectF& bounds) const {
    painter.setPen(QPen(calibrated(223, 238, 181), 1.0));
    painter.drawLine(QPointF(0.0, 2.0), QPointF(bounds.width(), 2.0));
}
