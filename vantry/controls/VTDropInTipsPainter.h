#pragma once

#include <QColor>
#include <QFont>
#include <QPolygonF>
#include <QRectF>
#include <QString>

class QPainter;

// The look of a drop area: a filled background, a dashed rounded square with a downward
// arrow inside it and a prompt line under it, in normal or highlighted colours. Both drop
// areas (the framework's and the application's) draw through this one painter.
class VTDropInTipsPainter {
public:
    VTDropInTipsPainter();

    void setDefaultValue();

    QString strPromot;
    QColor clrNorBg;
    QColor clrHlBg;
    QColor clrNorArrowFill;
    QColor clrHlArrowFill;
    double fArrowRectWidth = 100.0;
    double fArrowWidth = 50.0;
    bool bHighlighted = false;

    QColor backgroundColor() const { return bHighlighted ? clrHlBg : clrNorBg; }
    QColor arrowColor() const { return bHighlighted ? clrHlArrowFill : clrNorArrowFill; }

    // The dashed square, centred in bounds (widget coordinates); it may reach outside
    // bounds when they are smaller than the square.
    QRectF arrowSquare(const QRectF& bounds) const;
    // The seven corners of the arrow relative to the square's lower-left corner, with y
    // growing upwards, so the tip is the point of lowest y. The shaft is always 18 wide.
    static QPolygonF arrowOutline(double squareSide, double arrowWidth);
    // The arrow in widget coordinates.
    QPolygonF arrowPolygon(const QRectF& bounds) const;
    // Where the prompt goes: horizontally centred, 20 below the square.
    QRectF promptRect(const QRectF& bounds, const QFont& font) const;
    static QFont promptFont(const QFont& base);

    void draw(QPainter& painter, const QRectF& bounds, const QFont& baseFont) const;
};
