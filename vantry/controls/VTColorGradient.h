#pragma once

#include <QColor>
#include <QLinearGradient>
#include <QList>
#include <QRectF>

// A vertical linear gradient over evenly spaced colours, as the kit's views and cells fill
// their areas with.
class VTColorGradient {
public:
    // From the first colour at the top of rect to the last at its bottom, or the other way
    // round. A single colour gives a plain fill.
    static QLinearGradient verticalGradient(const QRectF& rect, const QList<QColor>& colors,
                                            bool firstColorAtTop);
};
