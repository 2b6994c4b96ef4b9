#pragma once

#include "VTButtonCell.h"
#include "VTCellButton.h"

// A flat coloured button: a VTCellButton whose cell is always a VTButtonCell.
class VTButton : public VTCellButton {
    Q_OBJECT
public:
    using cellClass = VTButtonCell;

    explicit VTButton(QWidget* parent = nullptr);

    // Null only when another kind of cell was set on the button since.
    VTButtonCell* buttonCell() const;
    // Forwards to the cell; asks for no redraw.
    void setVTButtonType(int type);
};
