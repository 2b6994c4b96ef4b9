#include "VTButtonUtiltiy.h"

#include "VTCellButton.h"

void VTButtonUtiltiy::setTitleColor(QAbstractButton* button, const QColor& color) {
    if (!button || !color.isValid())
        return;
    if (auto* cellButton = qobject_cast<VTCellButton*>(button)) {
        cellButton->cell()->setAttributedTitle(
            VTAttributedTitle{button->text(), button->font(), color, Qt::AlignHCenter});
        cellButton->update();
        return;
    }
    QPalette palette = button->palette();
    palette.setColor(QPalette::ButtonText, color);
    button->setPalette(palette);
}
