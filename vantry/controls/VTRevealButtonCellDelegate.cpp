#include "VTRevealButtonCellDelegate.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QMouseEvent>
#include <QPainter>

VTRevealButtonCellDelegate::VTRevealButtonCellDelegate(QAbstractItemView* view)
    : QStyledItemDelegate(view), _view(view), _viewport(view->viewport(), this) {
    _viewport->setMouseTracking(true);
}

VTCellState VTRevealButtonCellDelegate::stateForIndex(const QModelIndex& index,
                                                      const QStyleOptionViewItem& option) const {
    VTCellState state;
    state.enabled = option.state.testFlag(QStyle::State_Enabled);
    state.selected = option.state.testFlag(QStyle::State_Selected);
    state.hovered = index.isValid() && index == _hoveredIndex;
    state.highlighted = index.isValid() && index == _pressedIndex && _pressedInside;
    return state;
}

void VTRevealButtonCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                       const QModelIndex& index) const {
    QStyleOptionViewItem panel = option;
    initStyleOption(&panel, index);
    panel.text.clear();
    panel.icon = QIcon();
    const QWidget* widget = option.widget;
    const QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &panel, painter, widget);

    takeRowValue(index);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, true);
    _cell.drawInteriorWithFrameInView(*painter, QRectF(option.rect), widget,
                                      stateForIndex(index, option));
    painter->restore();
}

QSize VTRevealButtonCellDelegate::sizeHint(const QStyleOptionViewItem& option,
                                           const QModelIndex& index) const {
    takeRowValue(index);
    const QRectF unbounded(0, 0, 1e6, 1e6);
    return _cell.cellSizeForBounds(unbounded, option.widget).toSize();
}

bool VTRevealButtonCellDelegate::eventFilter(QObject* watched, QEvent* event) {
    if (!_viewport.is(watched))
        return QStyledItemDelegate::eventFilter(watched, event);
    switch (event->type()) {
    // The second press of a double click comes as a double click: it presses the button too.
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        return mouse->button() == Qt::LeftButton && mousePressed(mouse->position());
    }
    case QEvent::MouseMove:
        mouseMoved(static_cast<QMouseEvent*>(event)->position());
        return _pressedIndex.isValid();
    case QEvent::MouseButtonRelease:
        return static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton && mouseReleased();
    case QEvent::Leave:
        setHoveredIndex({});
        return false;
    default:
        return false;
    }
}

bool VTRevealButtonCellDelegate::mousePressed(const QPointF& point) {
    const QModelIndex index = _view->indexAt(point.toPoint());
    if (!index.isValid() || _view->itemDelegateForIndex(index) != this)
        return false;
    takeRowValue(index);
    const int hit =
        _cell.hitTestForPointInRectOfView(point, QRectF(_view->visualRect(index)), _view);
    if (!(hit & VTRevealButtonCell::HitTrackableArea))
        return false;
    _pressedIndex = index;
    _pressedInside = true;
    redraw(index);
    return true;
}

void VTRevealButtonCellDelegate::mouseMoved(const QPointF& point) {
    if (_pressedIndex.isValid()) {
        const bool inside = isOverInfoButton(_pressedIndex, point);
        if (inside != _pressedInside) {
            _pressedInside = inside;
            redraw(_pressedIndex);
        }
    }
    const QModelIndex under = _view->indexAt(point.toPoint());
    const bool overButton = under.isValid() && _view->itemDelegateForIndex(under) == this &&
                            isOverInfoButton(under, point);
    setHoveredIndex(overButton ? under : QModelIndex());
}

bool VTRevealButtonCellDelegate::mouseReleased() {
    if (!_pressedIndex.isValid())
        return false;
    const QModelIndex pressed = _pressedIndex;
    const bool clicked = _pressedInside;
    _pressedIndex = QModelIndex();
    _pressedInside = false;
    redraw(pressed);
    if (clicked && _cell.infoButtonAction()) {
        _clickedIndex = pressed;
        _cell.sendInfoButtonAction(_view);
    }
    return true;
}

QRectF VTRevealButtonCellDelegate::infoButtonRect(const QModelIndex& index) const {
    takeRowValue(index);
    return _cell.infoButtonRectForBounds(QRectF(_view->visualRect(index)), _view);
}

bool VTRevealButtonCellDelegate::isOverInfoButton(const QModelIndex& index,
                                                  const QPointF& point) const {
    return infoButtonRect(index).contains(point);
}

void VTRevealButtonCellDelegate::setHoveredIndex(const QModelIndex& index) {
    if (index == _hoveredIndex)
        return;
    const QModelIndex previous = _hoveredIndex;
    _hoveredIndex = index;
    redraw(previous);
    redraw(index);
}

void VTRevealButtonCellDelegate::redraw(const QModelIndex& index) {
    // A hidden viewport is drawn afresh when shown. A view being destroyed hides its viewport
    // first, so a last Leave then never asks the half-destroyed view for a row's place.
    if (index.isValid() && _viewport.get() && _viewport->isVisible())
        _viewport->update(_view->visualRect(index));
}

void VTRevealButtonCellDelegate::takeRowValue(const QModelIndex& index) const {
    _cell.setStringValue(index.data(Qt::DisplayRole).toString());
}
