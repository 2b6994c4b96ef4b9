#include "VTButton.h"

VTButton::VTButton(QWidget* parent) : VTCellButton(std::make_unique<cellClass>(), parent) {}

VTButtonCell* VTButton::buttonCell() const {
    return dynamic_cast<VTButtonCell*>(cell());
}

void VTButton::setVTButtonType(int type) {
    if (VTButtonCell* cell = buttonCell())
        cell->setVTButtonType(type);
}
