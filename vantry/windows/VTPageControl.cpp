#include "VTPageControl.h"

#include "VTPageControlDelegate.h"

#include <QButtonGroup>
#include <QPainter>

#include <cmath>

namespace {
QColor storedOrDefault(QColor& stored, Qt::GlobalColor fallback) {
    if (!stored.isValid())
        stored = QColor(fallback);
    return stored;
}
} // namespace

VTPageControl::VTPageControl(QWidget* parent) : QWidget(parent) {
    updateCurrentPageDisplay();
}

void VTPageControl::setCurrentPage(qint64 page) {
    _currentPage = page;
    updateCurrentPageDisplay();
}

void VTPageControl::setNumberOfPages(qint64 count) {
    _numberOfPages = count;
    updateGeometry();
    updateCurrentPageDisplay();
}

QColor VTPageControl::selectedColor() const {
    return storedOrDefault(_selectedColor, Qt::darkGray);
}

void VTPageControl::setSelectedColor(const QColor& color) {
    _selectedColor = color;
    updateCurrentPageDisplay();
}

QColor VTPageControl::unselectedColor() const {
    return storedOrDefault(_unselectedColor, Qt::lightGray);
}

void VTPageControl::setUnselectedColor(const QColor& color) {
    _unselectedColor = color;
    updateCurrentPageDisplay();
}

QColor VTPageControl::highlightColor() const {
    return storedOrDefault(_highlightColor, Qt::gray);
}

void VTPageControl::setHighlightColor(const QColor& color) {
    _highlightColor = color;
    updateCurrentPageDisplay();
}

void VTPageControl::setUseHandCursor(bool useHandCursor) {
    _useHandCursor = useHandCursor;
    updateCurrentPageDisplay();
}

void VTPageControl::setDrawingBlock(VTPageControlDrawingBlock block) {
    _drawingBlock = std::move(block);
    updateCurrentPageDisplay();
}

QSizeF VTPageControl::sizeForNumberOfPages(qint64 count) const {
    if (count <= 0)
        return QSizeF(0, 0);
    return QSizeF(count * _indicatorDiameterSize + (count - 1) * _indicatorMargin,
                  _indicatorDiameterSize);
}

QSizeF VTPageControl::intrinsicContentSize() const {
    return sizeForNumberOfPages(_numberOfPages);
}

QSizeF VTPageControl::fittingSize() const {
    return intrinsicContentSize();
}

QSize VTPageControl::sizeHint() const {
    const QSizeF size = intrinsicContentSize();
    return QSize(int(std::ceil(size.width())), int(std::ceil(size.height())));
}

QList<VTPageControlCell*> VTPageControl::cells() const {
    if (!_matrix)
        return {};
    return _matrix->findChildren<VTPageControlCell*>(Qt::FindDirectChildrenOnly);
}

VTPageControlDrawingBlock VTPageControl::cellDrawing() const {
    if (_drawingBlock)
        return _drawingBlock;
    const QColor on = selectedColor(), off = unselectedColor(), pressed = highlightColor();
    return [on, off, pressed](QPainter& painter, const QRectF& frame, QWidget*, bool isOn,
                              bool highlighted) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(highlighted ? pressed : (isOn ? on : off));
        painter.drawEllipse(frame);
    };
}

void VTPageControl::updateCurrentPageDisplay() {
    if (_matrix) {
        // The old row may be the sender of the click being handled: delete it later.
        _matrix->hide();
        _matrix->deleteLater();
        _matrix = nullptr;
    }
    if (_numberOfPages < 2 && _hidesForSinglePage) {
        update();
        return;
    }
    const QSizeF size = sizeForNumberOfPages(_numberOfPages);
    const QPointF origin(std::floor(float((width() - size.width()) / 2)),
                         std::floor(float((height() - size.height()) / 2)));
    auto* matrix = new QWidget(this);
    matrix->setObjectName(QStringLiteral("VTPageControlMatrix"));
    matrix->setGeometry(QRectF(origin, size).toAlignedRect());
    auto* group = new QButtonGroup(matrix);
    group->setExclusive(true);
    const VTPageControlDrawingBlock drawing = cellDrawing();
    const int diameter = int(std::ceil(_indicatorDiameterSize));
    for (qint64 page = 0; page < _numberOfPages; ++page) {
        auto* cell = new VTPageControlCell(matrix);
        cell->setGeometry(int(std::lround(page * (_indicatorDiameterSize + _indicatorMargin))), 0,
                          diameter, diameter);
        cell->setDrawingBlock(drawing);
        cell->setUseHandCursor(_useHandCursor);
        group->addButton(cell, int(page));
    }
    const qint64 selected = _currentPage >= 0 && _currentPage < _numberOfPages ? _currentPage : 0;
    if (QAbstractButton* cell = group->button(int(selected)))
        cell->setChecked(true);
    connect(group, &QButtonGroup::idClicked, this, &VTPageControl::clickedItem);
    matrix->show();
    _matrix = matrix;
    update();
}

void VTPageControl::clickedItem(int index) {
    setCurrentPage(index);
    if (_delegate)
        _delegate->pageControlDidSelectPageAtIndex(this, index);
}

void VTPageControl::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    updateCurrentPageDisplay();
}
