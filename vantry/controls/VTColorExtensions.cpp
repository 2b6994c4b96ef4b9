#include "VTColorExtensions.h"

#include <algorithm>
#include <cmath>

namespace {
float clampedComponent(float value) {
    return std::isnan(value) ? 0.0f : std::clamp(value, 0.0f, 1.0f);
}

QColor shifted(const QColor& color, float delta) {
    if (!color.isValid())
        return {};
    const QColor rgb = color.toRgb();
    return QColor::fromRgbF(clampedComponent(rgb.redF() + delta),
                            clampedComponent(rgb.greenF() + delta),
                            clampedComponent(rgb.blueF() + delta), 1.0f);
}
} // namespace

QColor VTColorExtensions::lightenColorByValue(const QColor& color, float value) {
    return shifted(color, value);
}

QColor VTColorExtensions::darkenColorByValue(const QColor& color, float value) {
    return shifted(color, -value);
}

bool VTColorExtensions::isLightColor(const QColor& color) {
    if (!color.isValid())
        return false;
    const QColor rgb = color.toRgb();
    return (rgb.redF() + rgb.greenF() + rgb.blueF()) / 3.0f > 0.8f;
}
