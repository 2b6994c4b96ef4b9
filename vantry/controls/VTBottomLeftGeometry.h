#pragma once

#include <QPointF>
#include <QRectF>

// The drawing rules of this kit are written with the origin at the bottom left and y
// growing upwards; Qt puts it at the top left. Every such rule converts through here.
class VTBottomLeftGeometry {
public:
    // A rectangle measured from the bottom of a box of the given height, as Qt measures it
    // from the top of that box (and back: the conversion is its own inverse).
    static QRectF toTopLeft(const QRectF& bottomLeftRect, double boxHeight);
    // The same for a rectangle inside a frame: the result is placed in the frame.
    static QRectF toTopLeftInFrame(const QRectF& bottomLeftRect, const QRectF& frame);
};
