#include "VTButtonImages.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace {
constexpr int kBaseHeight = 24;
constexpr int kCapWidth = 6;
constexpr double kRadius = 4.0;

// Light for the grey title; dark enough under the white title and arrow of the kept
// highlight for a contrast of at least 4.5:1 everywhere in the bar.
const VTButtonImages::BarColours kLightBar{QColor(252, 252, 252), QColor(228, 229, 231),
                                           QColor(168, 170, 174)};
const VTButtonImages::BarColours kDarkBar{QColor(46, 98, 176), QColor(30, 76, 150),
                                          QColor(20, 56, 116)};

QImage blankImage(int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}
} // namespace

QImage VTButtonImages::imageNamed(const QString& name) {
    if (name.startsWith(QLatin1String("settings-base_")))
        return settingsBase(name.mid(14), kLightBar);
    if (name.startsWith(QLatin1String("settings-base-on_")))
        return settingsBase(name.mid(17), kDarkBar);
    if (name == QLatin1String("arrow-down-off") || name == QLatin1String("arrow-down-on"))
        return arrowDown(name.endsWith(QLatin1String("on")));
    if (name == QLatin1String("NSRevealFreestandingTemplate"))
        return revealFreestanding();
    return {};
}

// A rounded bar with a rim, cut into a left cap, a one-point middle and a right cap.
QImage VTButtonImages::settingsBase(const QString& part, const BarColours& colours) {
    int offset = 0, width = 0;
    if (part == QLatin1String("left")) {
        width = kCapWidth;
    } else if (part == QLatin1String("center")) {
        offset = kCapWidth;
        width = 1;
    } else if (part == QLatin1String("right")) {
        offset = kCapWidth + 1;
        width = kCapWidth;
    } else {
        return {};
    }
    QImage image = blankImage(width, kBaseHeight);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.translate(-offset, 0);
    const QRectF bar(0.5, 0.5, 2 * kCapWidth + 1 - 1.0, kBaseHeight - 1.0);
    QLinearGradient fill(bar.topLeft(), bar.bottomLeft());
    fill.setColorAt(0.0, colours.top);
    fill.setColorAt(1.0, colours.bottom);
    painter.setBrush(fill);
    painter.setPen(colours.rim);
    painter.drawRoundedRect(bar, kRadius, kRadius);
    return image;
}

// A small downward triangle: dark grey, or white for the highlighted look.
QImage VTButtonImages::arrowDown(bool on) {
    QImage image = blankImage(9, 6);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(Qt::NoPen);
    painter.setBrush(on ? QColor(Qt::white) : QColor(51, 51, 51));
    painter.drawPolygon(QPolygonF({QPointF(0, 0.5), QPointF(9, 0.5), QPointF(4.5, 6)}));
    return image;
}

// A dark disc with a white arrow pointing right; drawn at reduced opacity when idle.
QImage VTButtonImages::revealFreestanding() {
    QImage image = blankImage(14, 14);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(20, 20, 20));
    painter.drawEllipse(QRectF(0, 0, 14, 14));
    painter.setBrush(Qt::white);
    QPainterPath arrow;
    arrow.moveTo(3.5, 6);
    arrow.lineTo(7, 6);
    arrow.lineTo(7, 3.5);
    arrow.lineTo(10.5, 7);
    arrow.lineTo(7, 10.5);
    arrow.lineTo(7, 8);
    arrow.lineTo(3.5, 8);
    arrow.closeSubpath();
    painter.drawPath(arrow);
    return image;
}
