#pragma once

#include "VTGradientMask.h"

#include <QImage>
#include <QList>
#include <QWidget>

// A view filled, by its mask, with a gradient over its colours (masks 1 and 2: the first
// colour at the bottom for 1, at the top for 2) or with 3 or 9 image slices (masks 3 and 5
// side by side, 4 stacked). Other masks draw nothing.
class VTGradientView : public QWidget {
    Q_OBJECT
public:
    explicit VTGradientView(QWidget* parent = nullptr);

    QList<QColor> aryBgColors() const { return _aryBgColors; }
    void setAryBgColors(const QList<QColor>& colors) { _aryBgColors = colors; }
    QList<QImage> aryGradientImgs() const { return _aryGradientImgs; }
    void setAryGradientImgs(const QList<QImage>& images) { _aryGradientImgs = images; }
    int gradientMask() const { return _gradientMask; }
    void setGradientMask(int mask) { _gradientMask = mask; }

    void drawRect(QPainter& painter, const QRectF& bounds) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void drawSlices(QPainter& painter, const QRectF& bounds) const;

    QList<QColor> _aryBgColors;
    QList<QImage> _aryGradientImgs;
    int _gradientMask = VTGradientMaskColorsAngle90;
};
