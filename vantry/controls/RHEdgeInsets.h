#pragma once

#include <QRectF>
#include <QString>

// Cap insets of a nine-part image, in points.
struct RHEdgeInsets {
    double top = 0.0;
    double left = 0.0;
    double bottom = 0.0;
    double right = 0.0;
};

inline constexpr RHEdgeInsets RHEdgeInsetsZero{};

RHEdgeInsets RHEdgeInsetsMake(double top, double left, double bottom, double right);

// The rectangle inside the insets. rect uses a bottom-left origin unless flipped is set
// (then its y grows downwards, as a QRectF normally does).
QRectF RHEdgeInsetsInsetRect(const QRectF& rect, const RHEdgeInsets& insets, bool flipped);

// All four values equal; NaN equals nothing.
bool RHEdgeInsetsEqualToEdgeInsets(const RHEdgeInsets& a, const RHEdgeInsets& b);

// "{top,left,bottom,right}" in the C locale, whatever the user's locale.
QString NSStringFromRHEdgeInsets(const RHEdgeInsets& insets);

// Reads the text form; values the text does not reach stay 0, a null string gives zero
// insets.
RHEdgeInsets RHEdgeInsetsFromString(const QString& text);

// True when the insets are non-negative and fit inside an image of the given size.
bool RHEdgeInsetsFitSize(const RHEdgeInsets& insets, const QSizeF& size);
