#include "VTColorGradient.h"

QLinearGradient VTColorGradient::verticalGradient(const QRectF& rect, const QList<QColor>& colors,
                                                  bool firstColorAtTop) {
    QLinearGradient gradient(firstColorAtTop ? rect.topLeft() : rect.bottomLeft(),
                             firstColorAtTop ? rect.bottomLeft() : rect.topLeft());
    if (colors.size() == 1) {
        gradient.setColorAt(0.0, colors.first());
        gradient.setColorAt(1.0, colors.first());
        return gradient;
    }
    for (qsizetype i = 0; i < colors.size(); ++i)
        gradient.setColorAt(double(i) / double(colors.size() - 1), colors.at(i));
    return gradient;
}
