#include "views/QVPoofEffect.h"

#include <QPainter>
#include <QPainterPath>
#include <QVariantAnimation>

namespace {
constexpr int kSide = 64;
constexpr int kDurationMs = 350;

void drawCloud(QPainter& painter, const QPointF& centre, double radius, const QColor& color) {
    painter.setBrush(color);
    painter.setPen(QPen(color.darker(140), 1.0));
    const QPointF puffs[] = {{0.0, 0.0}, {-0.7, 0.25}, {0.7, 0.25}, {-0.35, -0.45}, {0.4, -0.4}};
    QPainterPath cloud;
    for (const QPointF& puff : puffs)
        cloud.addEllipse(centre + puff * radius, radius * 0.6, radius * 0.6);
    painter.drawPath(cloud.simplified());
}
} // namespace

QVPoofEffect::QVPoofEffect()
    : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_DeleteOnClose);
    resize(kSide, kSide);
}

void QVPoofEffect::showAt(const QPoint& globalPosition) {
    auto* poof = new QVPoofEffect; // deletes itself when closed
    poof->move(globalPosition - QPoint(kSide / 2, kSide / 2));
    poof->show();
    auto* animation = new QVariantAnimation(poof);
    animation->setStartValue(0.0);
    animation->setEndValue(1.0);
    animation->setDuration(kDurationMs);
    connect(animation, &QVariantAnimation::valueChanged, poof,
            [poof](const QVariant& value) { poof->setPhase(value.toDouble()); });
    connect(animation, &QVariantAnimation::finished, poof, &QWidget::close);
    animation->start(QAbstractAnimation::DeleteWhenStopped);
}

void QVPoofEffect::setPhase(double phase) {
    _phase = phase;
    update();
}

void QVPoofEffect::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setOpacity(1.0 - _phase);
    const double radius = kSide * (0.18 + 0.16 * _phase);
    drawCloud(painter, QPointF(kSide / 2.0, kSide / 2.0), radius, QColor(236, 237, 235));
}

QPixmap QVPoofEffect::disappearingItemCursor() {
    QPixmap cursor(32, 32);
    cursor.fill(Qt::transparent);
    QPainter painter(&cursor);
    painter.setRenderHint(QPainter::Antialiasing, true);
    const QPolygonF arrow({{1, 1}, {1, 17}, {5, 13}, {8, 20}, {10, 19}, {7, 12}, {12, 12}});
    painter.setPen(QPen(Qt::black, 1.0));
    painter.setBrush(Qt::white);
    painter.drawPolygon(arrow);
    drawCloud(painter, QPointF(22, 22), 7.0, QColor(250, 250, 250));
    return cursor;
}
