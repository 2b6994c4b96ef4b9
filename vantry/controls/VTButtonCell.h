#pragma once

#include "VTBaseButtonCell.h"

#include <QColor>

// The colours a VTButtonCell can take.
enum : int {
    VTButtonTypeLightGray = 0,
    VTButtonTypeBlue = 1,
    VTButtonTypeTeal = 2,
    VTButtonTypeGreen = 3,
    VTButtonTypeOrange = 4,
    VTButtonTypeRed = 5,
    VTButtonTypeDark = 6,
};

// A flat rounded button in one of seven colours: a one-point darker rim around a gradient
// that lightens towards the top, or, while pressed, the darker shape alone. The title is
// black on light colours and white on the others.
class VTButtonCell : public VTBaseButtonCell {
public:
    int VTButtonType() const { return _VTButtonType; }
    // Stores the type; the owner asks for the redraw.
    void setVTButtonType(int type) { _VTButtonType = type; }
    // The colour of the current type; a type outside the seven draws light grey.
    QColor getColorForButtonType() const;

    void drawBezelWithFrameInView(QPainter& painter, const QRectF& frame, const QWidget* view,
                                  const VTCellState& state) const override;
    QRectF drawTitleWithFrameInView(QPainter& painter, const VTAttributedTitle& title,
                                    const QRectF& frame, const QWidget* view,
                                    const VTCellState& state) const override;

private:
    QColor _color; // kept for layouts that set it; drawing uses the type's colour
    int _VTButtonType = VTButtonTypeLightGray;
};
