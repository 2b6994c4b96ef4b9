#pragma once

#include "VTBaseButtonCell.h"
#include "VTGradientMask.h"

#include <QList>

// A button cell with a chosen title colour (white unless set) and, in its image area, a
// gradient over a list of colours: downwards for VTGradientMaskColorsAngle90, upwards for
// VTGradientMaskColorsAngleMinus90. With colours and any other mask the image area stays
// empty; without colours the image is drawn as usual.
class VTCustomerColorButtonCell : public VTBaseButtonCell {
public:
    VTCustomerColorButtonCell();
    // The steps a layout runs on a new cell (also run by the constructor).
    void awakeFromNib();

    QColor textColor() const { return _textColor; }
    void setTextColor(const QColor& color) { _textColor = color; }
    QList<QColor> aryBgColors() const { return _aryBgColors; }
    void setAryBgColors(const QList<QColor>& colors) { _aryBgColors = colors; }
    int gradientMask() const { return _gradientMask; }
    void setGradientMask(int mask) { _gradientMask = mask; }

    // The title with textColor as its only attribute.
    VTAttributedTitle getAttributedTitle() const;

    QRectF drawTitleWithFrameInView(QPainter& painter, const VTAttributedTitle& title,
                                    const QRectF& frame, const QWidget* view,
                                    const VTCellState& state) const override;
    void drawImageWithFrameInView(QPainter& painter, const QImage& image, const QRectF& frame,
                                  const QWidget* view, const VTCellState& state) const override;

private:
    QColor _textColor = Qt::white;
    QList<QColor> _aryBgColors;
    int _gradientMask = 0;
};
