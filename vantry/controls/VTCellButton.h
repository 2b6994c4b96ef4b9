#pragma once

#include "VTBaseButtonCell.h"

#include <QAbstractButton>

#include <memory>

// A button that draws through its cell: the control takes the mouse and keys, the cell
// paints from the control's state. Any of the kit's button cells can be given to it. The
// button's text is the cell's title: setText() replaces the title (and its attributes).
class VTCellButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit VTCellButton(QWidget* parent = nullptr);
    explicit VTCellButton(std::unique_ptr<VTBaseButtonCell> cell, QWidget* parent = nullptr);
    ~VTCellButton() override;

    VTBaseButtonCell* cell() const { return _cell.get(); }
    // A null cell is refused (the button keeps its cell).
    void setCell(std::unique_ptr<VTBaseButtonCell> cell);
    // The state the cell paints from: enabled, pressed, under the pointer, focused, checked.
    VTCellState cellState() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void takeTextIntoCell() const;

    std::unique_ptr<VTBaseButtonCell> _cell;
};
