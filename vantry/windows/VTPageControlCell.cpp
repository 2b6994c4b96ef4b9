#include "VTPageControlCell.h"

#include <QPainter>

VTPageControlCell::VTPageControlCell(QWidget* parent) : QAbstractButton(parent) {
    setCheckable(true);
    setFocusPolicy(Qt::NoFocus);
}

void VTPageControlCell::setUseHandCursor(bool useHandCursor) {
    _useHandCursor = useHandCursor;
    resetCursorRect();
}

void VTPageControlCell::setDrawingBlock(VTPageControlDrawingBlock block) {
    _drawingBlock = std::move(block);
    update();
}

void VTPageControlCell::drawWithFrameInView(QPainter& painter, const QRectF& frame,
                                            QWidget* view) const {
    if (!_drawingBlock)
        return;
    painter.save();
    _drawingBlock(painter, frame, view, isChecked(), isDown());
    painter.restore();
}

void VTPageControlCell::resetCursorRect() {
    if (_useHandCursor)
        setCursor(Qt::PointingHandCursor);
    else
        unsetCursor();
}

void VTPageControlCell::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);
    drawWithFrameInView(painter, QRectF(rect()), parentWidget());
}
