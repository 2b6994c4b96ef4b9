#pragma once

#include <QColor>
#include <QFont>
#include <QRectF>
#include <QString>

#include <optional>

class QPainter;

// A title with the few attributes the kit's cells give their text: a font, a foreground
// colour and a horizontal alignment. An attribute left unset takes what the drawing cell
// offers instead.
struct VTAttributedTitle {
    QString string;
    std::optional<QFont> font;
    QColor foregroundColor; // invalid: the cell's own colour
    std::optional<Qt::Alignment> alignment;

    bool isEmpty() const { return string.isEmpty(); }
    QFont fontOr(const QFont& fallback) const { return font.value_or(fallback); }
    // The size of one line of the text in its font (or fallback).
    QSizeF size(const QFont& fallback) const;
    // Draws one line in rect, vertically centred and cut with "…" where it does not fit.
    void drawInRect(QPainter& painter, const QRectF& rect, const QFont& fallbackFont,
                    const QColor& fallbackColor, Qt::Alignment fallbackAlignment) const;

    bool operator==(const VTAttributedTitle&) const = default;
};
