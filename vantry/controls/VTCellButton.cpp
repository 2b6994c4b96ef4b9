#include "VTCellButton.h"

#include <QPainter>

VTCellButton::VTCellButton(QWidget* parent)
    : VTCellButton(std::make_unique<VTBaseButtonCell>(), parent) {}

VTCellButton::VTCellButton(std::unique_ptr<VTBaseButtonCell> cell, QWidget* parent)
    : QAbstractButton(parent), _cell(std::move(cell)) {
    if (!_cell)
        _cell = std::make_unique<VTBaseButtonCell>();
    setAttribute(Qt::WA_Hover, true);
    setFocusPolicy(Qt::StrongFocus);
}

VTCellButton::~VTCellButton() = default;

void VTCellButton::setCell(std::unique_ptr<VTBaseButtonCell> cell) {
    if (!cell)
        return;
    cell->setTitle(text());
    _cell = std::move(cell);
    updateGeometry();
    update();
}

VTCellState VTCellButton::cellState() const {
    VTCellState state;
    state.enabled = isEnabled();
    state.highlighted = isDown();
    state.hovered = underMouse();
    state.focused = hasFocus();
    state.checkState = isChecked() ? Qt::Checked : Qt::Unchecked;
    return state;
}

QSize VTCellButton::sizeHint() const {
    takeTextIntoCell();
    return _cell->cellSize(this).toSize();
}

void VTCellButton::paintEvent(QPaintEvent*) {
    takeTextIntoCell();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);
    _cell->drawWithFrameInView(painter, QRectF(rect()), this, cellState());
}

void VTCellButton::enterEvent(QEnterEvent* event) {
    QAbstractButton::enterEvent(event);
    update();
}

void VTCellButton::leaveEvent(QEvent* event) {
    QAbstractButton::leaveEvent(event);
    update();
}

void VTCellButton::takeTextIntoCell() const {
    if (_cell->title() != text())
        _cell->setTitle(text());
}
