#pragma once

#include "VTRevealButtonCell.h"
#include "utils/VTWatchedObject.h"

#include <QPersistentModelIndex>
#include <QStyledItemDelegate>

class QAbstractItemView;

// Hosts a VTRevealButtonCell in a view's column: draws each row's text (its display data)
// with the info button, lights the button only in the row under the pointer and tracks a
// press on it until the release, which sends the cell's action when it ends over the same
// button. One cell serves every row; pointer state is kept here, per index.
class VTRevealButtonCellDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    // Watches view's viewport for the pointer; the delegate is a child of view.
    explicit VTRevealButtonCellDelegate(QAbstractItemView* view);

    VTRevealButtonCell& cell() { return _cell; }

    QModelIndex hoveredIndex() const { return _hoveredIndex; }
    QModelIndex pressedIndex() const { return _pressedIndex; }
    bool isPressedInside() const { return _pressedInside; }
    // The row whose info button was clicked last, for the action to read.
    QModelIndex clickedIndex() const { return _clickedIndex; }
    // The state a row is drawn in.
    VTCellState stateForIndex(const QModelIndex& index, const QStyleOptionViewItem& option) const;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool mousePressed(const QPointF& point);
    void mouseMoved(const QPointF& point);
    bool mouseReleased();
    // The info button's rectangle of index in viewport coordinates.
    QRectF infoButtonRect(const QModelIndex& index) const;
    bool isOverInfoButton(const QModelIndex& index, const QPointF& point) const;
    void setHoveredIndex(const QModelIndex& index);
    void redraw(const QModelIndex& index);
    void takeRowValue(const QModelIndex& index) const;

    QAbstractItemView* _view;
    VTWatchedObject<QWidget> _viewport;
    mutable VTRevealButtonCell _cell;
    QPersistentModelIndex _hoveredIndex;
    QPersistentModelIndex _pressedIndex;
    QPersistentModelIndex _clickedIndex;
    bool _pressedInside = false;
};
