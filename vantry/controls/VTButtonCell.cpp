#include "VTButtonCell.h"

#include "VTColorExtensions.h"
#include "VTColorGradient.h"

#include <QPainter>
#include <QPainterPath>

#include <array>

namespace {
constexpr double kCornerRadius = 3.0;
constexpr float kShade = 0.12f;

QPainterPath roundedPath(const QRectF& rect) {
    QPainterPath path;
    path.addRoundedRect(rect, kCornerRadius, kCornerRadius);
    return path;
}
} // namespace

QColor VTButtonCell::getColorForButtonType() const {
    struct Rgb {
        float red, green, blue;
    };
    static constexpr std::array<Rgb, 7> colours = {{
        {0.85f, 0.85f, 0.85f},
        {0.0f, 0.33f, 0.8f},
        {0.18f, 0.59f, 0.71f},
        {0.32f, 0.64f, 0.32f},
        {0.97f, 0.58f, 0.02f},
        {0.74f, 0.21f, 0.18f},
        {0.13f, 0.13f, 0.13f},
    }};
    const bool known = _VTButtonType >= 0 && _VTButtonType < int(colours.size());
    const Rgb& rgb = colours[known ? std::size_t(_VTButtonType) : 0];
    return QColor::fromRgbF(rgb.red, rgb.green, rgb.blue, 1.0f);
}

void VTButtonCell::drawBezelWithFrameInView(QPainter& painter, const QRectF& frame, const QWidget*,
                                            const VTCellState& state) const {
    const QColor colour = getColorForButtonType();
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setClipPath(roundedPath(frame), Qt::IntersectClip);
    painter.fillRect(frame, VTColorExtensions::darkenColorByValue(colour, kShade));
    painter.restore();
    if (state.highlighted)
        return;

    const QPainterPath inner = roundedPath(frame.adjusted(1, 1, -1, -1));
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setClipPath(inner, Qt::IntersectClip);
    painter.fillRect(inner.boundingRect(),
                     VTColorGradient::verticalGradient(
                         inner.boundingRect(),
                         {VTColorExtensions::lightenColorByValue(colour, kShade), colour}, true));
    painter.restore();
}

QRectF VTButtonCell::drawTitleWithFrameInView(QPainter& painter, const VTAttributedTitle& title,
                                              const QRectF& frame, const QWidget* view,
                                              const VTCellState& state) const {
    VTAttributedTitle coloured = title;
    coloured.foregroundColor =
        VTColorExtensions::isLightColor(getColorForButtonType()) ? Qt::black : Qt::white;
    return VTBaseButtonCell::drawTitleWithFrameInView(painter, coloured, frame, view, state);
}
