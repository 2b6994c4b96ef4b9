#pragma once

#include <QColor>

class QAbstractButton;

// Helpers for any button.
class VTButtonUtiltiy {
public:
    // Gives the button's title the colour, centred in the button's font. An invalid colour
    // leaves the button as it was. A VTCellButton's cell takes it as its attributed title;
    // other buttons take it as their text colour.
    static void setTitleColor(QAbstractButton* button, const QColor& color);
};
