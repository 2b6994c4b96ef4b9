#pragma once

#include <Qt>

// What a cell paints from besides its own properties: the state of the control, or of the
// table row, it is drawn for. Cells never keep it between drawings, so one cell can serve
// many rows.
struct VTCellState {
    bool enabled = true;
    bool highlighted = false; // pressed
    bool hovered = false;
    bool focused = false;
    bool selected = false; // the table row is selected
    Qt::CheckState checkState = Qt::Unchecked;
};
