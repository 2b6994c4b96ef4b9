#include "VTOnOffSwitchControlCell.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QStyleHints>
#include <QWidget>

#include <algorithm>
#include <chrono>
#include <cmath>

namespace {
constexpr double kInnerShadowHeight = 4.0;
constexpr int kLabelPixelSize = 13;
constexpr float kTintAlpha = 0.6f;

QColor calibratedWhite(double white, double alpha = 1.0) {
    return QColor::fromRgbF(float(white), float(white), float(white), float(alpha));
}

QPainterPath roundedPath(const QRectF& rect) {
    QPainterPath path;
    path.addRoundedRect(rect, VTOnOffSwitchControlCell::kCornerRadius,
                        VTOnOffSwitchControlCell::kCornerRadius);
    return path;
}

// The kit's vertical gradients run from the first colour at the top edge to the second at
// the bottom edge.
QLinearGradient topToBottom(const QRectF& rect, const QColor& top, const QColor& bottom) {
    QLinearGradient gradient(rect.topLeft(), rect.bottomLeft());
    gradient.setColorAt(0.0, top);
    gradient.setColorAt(1.0, bottom);
    return gradient;
}
} // namespace

QRectF DKCenterRect(const QRectF& inner, const QRectF& outer) {
    return QRectF(outer.x() + (outer.width() - inner.width()) * 0.5,
                  outer.y() + (outer.height() - inner.height()) * 0.5, inner.width(),
                  inner.height());
}

VTOnOffSwitchControlCell::VTOnOffSwitchControlCell() {
    furtherInit();
}

void VTOnOffSwitchControlCell::furtherInit() {
    _focusRingType = defaultFocusRingType();
    _stuff = clickThresholds();
    _showsOnOffLabels = true;
    _onOffSwitchControlColors = VTOnOffSwitchControlDefaultColors;
    _onSwitchLabel = QStringLiteral("ON");
    _offSwitchLabel = QStringLiteral("OFF");
}

PRHOOBCStuffYouWouldNeedToIncludeCarbonHeadersFor VTOnOffSwitchControlCell::clickThresholds() {
    PRHOOBCStuffYouWouldNeedToIncludeCarbonHeadersFor stuff;
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        const QStyleHints* hints = QGuiApplication::styleHints();
        const double distance = hints->startDragDistance();
        stuff.clickTime = hints->startDragTime() / 1000.0;
        stuff.clickDistance = QSizeF(distance, distance);
    }
    return stuff;
}

void VTOnOffSwitchControlCell::setState(int state) {
    const int previous = _state;
    if (state > 0)
        _state = 1;
    else if (state == 0)
        _state = 0;
    else
        _state = _allowsMixedState ? -1 : 1;
    // Last: the handler may delete the hosting control, and this cell with it.
    if (_state != previous && _stateChanged)
        _stateChanged();
}

void VTOnOffSwitchControlCell::setAllowsMixedState(bool allows) {
    _allowsMixedState = allows;
    setState(_state);
}

int VTOnOffSwitchControlCell::nextState() const {
    if (!_allowsMixedState)
        return _state == 1 ? 0 : 1;
    return _state == 1 ? 0 : _state == 0 ? -1 : 1;
}

void VTOnOffSwitchControlCell::setOnOffSwitchCustomOnColorOffColor(const QColor& onColor,
                                                                   const QColor& offColor) {
    _customOffColor = offColor;
    _customOnColor = onColor;
}

QRectF VTOnOffSwitchControlCell::thumbRectInFrame(const QRectF& frame) const {
    const double width = frame.width() - 2.0;
    const double thumbWidth = kThumbWidthShare * width;
    double x = frame.x() + 1.0;
    if (_state == 1)
        x = frame.x() + 1.0 + width - thumbWidth;
    else if (_state == -1)
        x = frame.x() + width * 0.5 - thumbWidth * 0.5;
    return QRectF(x, frame.y() + 1.0, thumbWidth, frame.height() - 2.0);
}

double VTOnOffSwitchControlCell::centerXForThumbWithFrame(const QRectF& frame) const {
    const QRectF thumb = thumbRectInFrame(frame);
    if (!_tracking)
        return thumb.x() + thumb.width() * 0.5;
    double x = thumb.x() + (_trackingPoint.x() - _initialTrackingPoint.x());
    if (x < frame.x() + 1.0)
        x = frame.x() + 1.0;
    else if (x > frame.x() + frame.width() - thumb.width() - 1.0)
        x = frame.x() + frame.width() - thumb.width() - 1.0;
    return x + thumb.width() * 0.5;
}

int VTOnOffSwitchControlCell::hitTestForEventInRectOfView(const QPointF& point,
                                                          const QRectF& cellFrame) const {
    if (!cellFrame.contains(point))
        return NSCellHitNone;
    return NSCellHitContentArea | NSCellHitTrackableArea;
}

bool VTOnOffSwitchControlCell::tintColors(QColor& onColor, QColor& offColor) const {
    switch (_onOffSwitchControlColors) {
    case VTOnOffSwitchControlCustomColors:
        onColor = _customOnColor;
        offColor = _customOffColor;
        return onColor.isValid() && offColor.isValid();
    case VTOnOffSwitchControlDefaultColors:
        onColor = QColor::fromRgbF(0.0f, 0.3f, 1.0f, kTintAlpha);
        offColor = QColor::fromRgbF(1.0f, 0.0f, 0.0f, 0.0f);
        return true;
    case VTOnOffSwitchControlGreenRedColors:
        onColor = QColor::fromRgbF(0.0f, 0.7f, 0.0f, kTintAlpha);
        offColor = QColor::fromRgbF(0.7f, 0.0f, 0.0f, kTintAlpha);
        return true;
    case VTOnOffSwitchControlBlueRedColors:
        onColor = QColor::fromRgbF(0.0f, 0.3f, 1.0f, kTintAlpha);
        offColor = QColor::fromRgbF(0.7f, 0.0f, 0.0f, kTintAlpha);
        return true;
    default:
        return false;
    }
}

// Everything is drawn into a layer first so that the washed-out look of a disabled switch
// lightens only the switch, not what lies behind it.
void VTOnOffSwitchControlCell::drawWithFrameInView(QPainter& painter, const QRectF& frame,
                                                   const DrawState& view) {
    if (_tracking)
        _trackingCellFrame = frame;
    if (frame.isEmpty())
        return;
    const double scale = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    QImage layer((frame.size() * scale).toSize(), QImage::Format_ARGB32_Premultiplied);
    layer.setDevicePixelRatio(scale);
    layer.fill(Qt::transparent);
    QPainter p(&layer);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.translate(-frame.topLeft());

    const QPainterPath track = roundedPath(frame.adjusted(1.0, 1.0, -1.0, -1.0));
    p.strokePath(track, QPen(calibratedWhite(0.125), 1.0));
    p.fillPath(track, topToBottom(frame, calibratedWhite(0.5), calibratedWhite(2.0 / 3.0)));

    p.save();
    p.setClipPath(roundedPath(frame));
    if (!_allowsMixedState)
        tintBackgroundWithFrameInView(p, frame);
    const QRectF shadowStrip(frame.x(), frame.y(), frame.width(), kInnerShadowHeight);
    p.fillRect(shadowStrip, topToBottom(shadowStrip, QColor::fromRgbF(0, 0, 0, 0.35f),
                                        QColor::fromRgbF(0, 0, 0, 0)));
    p.restore();

    drawInteriorWithFrameInView(p, frame, view);

    if (!view.enabled) {
        p.setCompositionMode(QPainter::CompositionMode_Lighten);
        p.fillRect(frame, calibratedWhite(1.0, 2.0 / 3.0));
    }
    p.end();
    painter.drawImage(frame.topLeft(), layer);
}

void VTOnOffSwitchControlCell::tintBackgroundWithFrameInView(QPainter& painter,
                                                             const QRectF& frame) {
    painter.save();
    painter.setClipPath(roundedPath(frame), Qt::IntersectClip);
    const double centerX = centerXForThumbWithFrame(frame);
    const QRectF left(frame.x(), frame.y(), centerX - frame.x(), frame.height());
    const QRectF right(centerX, frame.y(), frame.right() - centerX, frame.height());
    QColor onColor, offColor;
    if (tintColors(onColor, offColor)) {
        const QRectF onPart = left.adjusted(1.0, 1.0, -1.0, -1.0);
        const QRectF offPart = right.adjusted(1.0, 1.0, -1.0, -1.0);
        painter.fillRect(onPart, topToBottom(onPart, onColor, onColor));
        painter.fillRect(offPart, topToBottom(offPart, offColor, offColor));
    }
    painter.restore();

    if (!_showsOnOffLabels)
        return;
    const QRectF thumb = thumbRectInFrame(frame);
    const double thumbLeft = _tracking ? centerX - thumb.width() * 0.5 : thumb.x();
    const double labelWidth = frame.width() - thumb.width() - 2.0;
    drawTextWithFrame(painter, _onSwitchLabel,
                      QRectF(thumbLeft - (frame.width() - thumb.width()) + 2.0, frame.y(),
                             labelWidth, frame.height()));
    drawTextWithFrame(
        painter, _offSwitchLabel,
        QRectF(thumbLeft + thumb.width() + 1.0, frame.y(), labelWidth, frame.height()));
}

void VTOnOffSwitchControlCell::drawTextWithFrame(QPainter& painter, const QString& text,
                                                 const QRectF& frame) const {
    QFont font = QApplication::font();
    font.setPixelSize(kLabelPixelSize);
    font.setBold(true);
    const QFontMetricsF metrics(font);
    const QRectF textRect =
        DKCenterRect(QRectF(0, 0, metrics.horizontalAdvance(text), metrics.height()), frame);
    painter.save();
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(textRect, Qt::AlignLeft | Qt::AlignTop, text);
    painter.restore();
}

QRectF VTOnOffSwitchControlCell::trackedThumbRect(const QRectF& thumb, const QRectF& inner) const {
    const double x = thumb.x() + (_trackingPoint.x() - _initialTrackingPoint.x());
    const double rightmost = std::max(inner.x(), inner.right() - thumb.width());
    return QRectF(std::clamp(x, inner.x(), rightmost), thumb.y(), thumb.width(), thumb.height());
}

void VTOnOffSwitchControlCell::drawInteriorWithFrameInView(QPainter& painter, const QRectF& frame,
                                                           const DrawState& view) {
    QRectF thumb = thumbRectInFrame(frame);
    const QRectF inner = frame.adjusted(1.0, 1.0, -1.0, -1.0);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setClipPath(roundedPath(inner));
    if (_tracking) {
        thumb = trackedThumbRect(thumb, inner);
        _trackingThumbCenterX = centerXForThumbWithFrame(inner);
    }
    drawThumb(painter, thumb, view);
    painter.restore();
    if (_tracking && qEnvironmentVariableIsSet("PRHOnOffButtonCellDebug"))
        drawDebugFrames(painter, thumb, inner);
}

void VTOnOffSwitchControlCell::drawThumb(QPainter& painter, const QRectF& thumb,
                                         const DrawState& view) const {
    // A soft black shadow of radius 3 all round, built from three widening rings.
    for (int spread = 3; spread >= 1; --spread) {
        QPainterPath ring;
        ring.addRoundedRect(thumb.adjusted(-spread, -spread, spread, spread),
                            kCornerRadius + spread, kCornerRadius + spread);
        painter.fillPath(ring, QColor::fromRgbF(0, 0, 0, 0.5f / 3.0f));
    }
    if (view.showsFirstResponder && _focusRingType != FocusRingType::None) {
        QPainterPath ring;
        ring.addRoundedRect(thumb.adjusted(-2.0, -2.0, 2.0, 2.0), kCornerRadius + 2.0,
                            kCornerRadius + 2.0);
        painter.fillPath(ring, QGuiApplication::palette().color(QPalette::Highlight));
    }
    const QPainterPath body = roundedPath(thumb);
    painter.fillPath(body, Qt::white);
    painter.fillPath(body, topToBottom(thumb, calibratedWhite(1.0), calibratedWhite(0.9)));
}

void VTOnOffSwitchControlCell::drawDebugFrames(QPainter& painter, const QRectF& thumb,
                                               const QRectF& inner) const {
    const double centerX = thumb.center().x();
    painter.drawLine(QPointF(centerX, thumb.y() + thumb.height() / 3.0),
                     QPointF(centerX, thumb.y() + thumb.height() * 2.0 / 3.0));
    const QList<double> shares =
        _allowsMixedState ? QList<double>{1.0 / 3.0, 2.0 / 3.0} : QList<double>{0.5};
    for (double share : shares) {
        const double x = inner.x() + inner.width() * share;
        painter.drawLine(QPointF(x, inner.top()), QPointF(x, inner.bottom()));
    }
}

double VTOnOffSwitchControlCell::now() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

bool VTOnOffSwitchControlCell::startTrackingAtInView(const QPointF& startPoint,
                                                     const QWidget* view) {
    _tracking = true;
    _initialTrackingPoint = _trackingPoint = startPoint;
    _initialTrackingTime = _trackingTime = now();
    return view != nullptr;
}

bool VTOnOffSwitchControlCell::continueTrackingAtInView(const QPointF&, const QPointF& currentPoint,
                                                        QWidget* view) {
    if (!view) {
        _tracking = false;
        return false;
    }
    _trackingPoint = currentPoint;
    _initialTrackingTime = _trackingTime = now();
    view->update();
    return true;
}

void VTOnOffSwitchControlCell::rememberThumbPosition(const QRectF& frame) {
    _trackingCellFrame = frame;
    _trackingThumbCenterX = centerXForThumbWithFrame(frame.adjusted(1.0, 1.0, -1.0, -1.0));
}

int VTOnOffSwitchControlCell::stateForThumbShare(double share) const {
    if (_allowsMixedState)
        return share < 1.0 / 3.0 ? 0 : share < 2.0 / 3.0 ? -1 : 1;
    return share < 0.5 ? 0 : 1;
}

void VTOnOffSwitchControlCell::abortTracking() {
    _tracking = false;
    _trackingTime = now();
}

// Distances count both ways: a quick, long drag to the left is a drag, not a click.
bool VTOnOffSwitchControlCell::stopTrackingAtInViewMouseIsUp(const QPointF&,
                                                             const QPointF& stopPoint,
                                                             const QWidget* view, bool) {
    if (view)
        rememberThumbPosition(QRectF(view->rect()));
    _tracking = false;
    _trackingTime = now();
    if (!view)
        return false;
    const bool quick = _trackingTime - _initialTrackingTime < _stuff.clickTime;
    const bool still =
        std::abs(stopPoint.y() - _initialTrackingPoint.y()) < _stuff.clickDistance.height() &&
        std::abs(stopPoint.x() - _initialTrackingPoint.x()) < _stuff.clickDistance.width();
    if (quick && still)
        return true;
    if (_trackingCellFrame.width() > 0.0)
        setState(stateForThumbShare(_trackingThumbCenterX / _trackingCellFrame.width()));
    return false;
}
