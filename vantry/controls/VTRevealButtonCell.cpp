#include "VTRevealButtonCell.h"

#include "VTButtonImages.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QPainter>
#include <QWidget>

#include <algorithm>

namespace {
QFont viewFont(const QWidget* view) {
    return view ? view->font() : QApplication::font();
}
} // namespace

bool VTRevealButtonCell::sendInfoButtonAction(QWidget* sender) const {
    if (!_iInfoButtonAction)
        return false;
    _iInfoButtonAction(sender);
    return true;
}

void VTRevealButtonCell::addTrackingAreasForViewInRectWithUserInfoMouseLocation(
    QWidget* view, const QRectF& cellFrame, const QVariant&, const QPointF& mouseLocation) {
    if (!view)
        return;
    view->setMouseTracking(true);
    const bool inside = infoButtonRectForBounds(cellFrame, view).contains(mouseLocation);
    if (inside == _iMouseHoveredInInfoButton)
        return;
    _iMouseHoveredInInfoButton = inside;
    view->update(cellFrame.toAlignedRect());
}

VTCellState VTRevealButtonCell::ownState(bool selected) const {
    VTCellState state;
    state.highlighted = _iMouseDownInInfoButton;
    state.hovered = _iMouseHoveredInInfoButton;
    state.selected = selected;
    return state;
}

QImage VTRevealButtonCell::infoButtonImage() {
    static const QImage image =
        VTButtonImages::imageNamed(QStringLiteral("NSRevealFreestandingTemplate"));
    return image;
}

QSizeF VTRevealButtonCell::textSize(const QWidget* view) const {
    return _value.size(viewFont(view));
}

QRectF VTRevealButtonCell::titleRectForBounds(const QRectF& bounds, const QWidget* view) const {
    const QSizeF text = textSize(view);
    return QRectF(bounds.x() + kTextInset, bounds.y(),
                  std::min(text.width(), std::max(0.0, bounds.width() - kReservedWidth)),
                  text.height());
}

QRectF VTRevealButtonCell::rectForInfoButtonBasedOnTitleRectInBounds(const QRectF& titleRect,
                                                                     const QRectF& bounds) {
    return QRectF(bounds.right() - kInfoButtonFromRight, titleRect.y() + kInfoButtonBelowTop,
                  kInfoButtonSide, kInfoButtonSide);
}

QRectF VTRevealButtonCell::infoButtonRectForBounds(const QRectF& bounds,
                                                   const QWidget* view) const {
    return rectForInfoButtonBasedOnTitleRectInBounds(titleRectForBounds(bounds, view), bounds);
}

QSizeF VTRevealButtonCell::cellSizeForBounds(const QRectF& bounds, const QWidget* view) const {
    const QRectF title = titleRectForBounds(bounds, view);
    return QSizeF(std::min(title.width() + kReservedWidth, bounds.width()),
                  std::max(title.height(), kInfoButtonSide + kInfoButtonBelowTop));
}

int VTRevealButtonCell::hitTestForPointInRectOfView(const QPointF& point, const QRectF& cellFrame,
                                                    const QWidget* view) const {
    const QRectF title = titleRectForBounds(cellFrame, view);
    if (title.contains(point))
        return HitContentArea | HitEditableTextArea;
    if (rectForInfoButtonBasedOnTitleRectInBounds(title, cellFrame).contains(point))
        return HitContentArea | HitTrackableArea;
    return HitNone;
}

double VTRevealButtonCell::infoButtonOpacity(const VTCellState& state) {
    if (state.highlighted)
        return 0.5;
    if (state.hovered)
        return 1.0;
    return state.selected ? 0.5 : 0.3;
}

void VTRevealButtonCell::drawInteriorWithFrameInView(QPainter& painter, const QRectF& cellFrame,
                                                     const QWidget* view,
                                                     const VTCellState& state) const {
    const QRectF title = titleRectForBounds(cellFrame, view);
    if (!_value.isEmpty() && title.width() > 0) {
        const QFont font = _value.fontOr(viewFont(view));
        const QString shown = QFontMetricsF(font, painter.device())
                                  .elidedText(_value.string, _lineBreakMode, title.width() + 0.5);
        const QPalette palette = view ? view->palette() : QApplication::palette();
        painter.save();
        painter.setFont(font);
        painter.setPen(
            _value.foregroundColor.isValid()
                ? _value.foregroundColor
                : palette.color(state.selected ? QPalette::HighlightedText : QPalette::Text));
        painter.drawText(title.adjusted(0, 0, 1, 0), Qt::AlignLeft | Qt::AlignVCenter, shown);
        painter.restore();
    }
    painter.save();
    painter.setOpacity(painter.opacity() * infoButtonOpacity(state));
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.drawImage(rectForInfoButtonBasedOnTitleRectInBounds(title, cellFrame),
                      infoButtonImage());
    painter.restore();
}
