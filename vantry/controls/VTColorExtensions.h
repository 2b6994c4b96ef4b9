#pragma once

#include <QColor>

// Lighter and darker shades of a colour and a test for light colours, as the kit's
// buttons use them. Components stay within 0 to 1.
class VTColorExtensions {
public:
    // Red, green and blue each raised (lowered) by value, opaque; an invalid colour stays
    // invalid.
    static QColor lightenColorByValue(const QColor& color, float value);
    static QColor darkenColorByValue(const QColor& color, float value);
    // The mean of red, green and blue above 0.8 (for a grey, its level above 0.8).
    static bool isLightColor(const QColor& color);
};
