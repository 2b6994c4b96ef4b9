#include "MIHSliderTransition.h"

#include <QEasingCurve>
#include <QEvent>
#include <QPainter>
#include <QVariantAnimation>

#include <algorithm>
#include <utility>

namespace {
enum Style { Fade = 0, MoveInFromTop = 1, PushFromLeft = 2, PushFromRight = 3 };

QEasingCurve easeOut() {
    // The usual ease-out timing: control points (0.58, 1).
    QEasingCurve curve(QEasingCurve::BezierSpline);
    curve.addCubicBezierSegment(QPointF(0.0, 0.0), QPointF(0.58, 1.0), QPointF(1.0, 1.0));
    return curve;
}
} // namespace

MIHSliderTransition::MIHSliderTransition(QWidget* contentView, QWidget* fromSlide, QWidget* toSlide,
                                         int style, double durationSeconds)
    : QWidget(contentView), _contentView(contentView, this), _fromSlide(fromSlide),
      _toSlide(toSlide), _style(style) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    followContentView();
    _animation = new QVariantAnimation(this);
    _animation->setStartValue(0.0);
    _animation->setEndValue(1.0);
    _animation->setEasingCurve(easeOut());
    _animation->setDuration(int(std::clamp(durationSeconds, 0.0, 60.0) * 1000));
    connect(_animation, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        _progress = value.toDouble();
        update();
    });
    connect(_animation, &QVariantAnimation::finished, this, &MIHSliderTransition::finish);
    raise();
    show();
    _animation->start();
}

void MIHSliderTransition::followContentView() {
    const QRect area = _contentView->rect();
    setGeometry(area);
    for (auto [slide, picture] : {std::pair{_fromSlide, &_from}, std::pair{_toSlide, &_to}}) {
        if (!slide)
            continue;
        slide->setGeometry(area);
        *picture = slide->grab();
    }
}

bool MIHSliderTransition::eventFilter(QObject* watched, QEvent* event) {
    if (_contentView.is(watched) && event->type() == QEvent::Resize)
        followContentView();
    return QWidget::eventFilter(watched, event);
}

void MIHSliderTransition::finish() {
    _progress = 1.0;
    hide();
    deleteLater();
}

void MIHSliderTransition::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const double p = _progress, w = width(), h = height();
    switch (_style) {
    case MoveInFromTop:
        painter.drawPixmap(QPointF(0, 0), _from);
        painter.drawPixmap(QPointF(0, -h * (1 - p)), _to);
        break;
    case PushFromLeft:
        painter.drawPixmap(QPointF(w * p, 0), _from);
        painter.drawPixmap(QPointF(-w * (1 - p), 0), _to);
        break;
    case PushFromRight:
        painter.drawPixmap(QPointF(-w * p, 0), _from);
        painter.drawPixmap(QPointF(w * (1 - p), 0), _to);
        break;
    default:
        painter.drawPixmap(QPointF(0, 0), _from);
        painter.setOpacity(p);
        painter.drawPixmap(QPointF(0, 0), _to);
        break;
    }
}
