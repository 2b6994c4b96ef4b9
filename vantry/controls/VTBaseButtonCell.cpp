#include "VTBaseButtonCell.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>
#include <QWidget>

namespace {
constexpr double kSideInset = 6.0;
constexpr double kImageTitleGap = 4.0;
constexpr double kMinimumHeight = 22.0;

QSizeF pointSize(const QImage& image) {
    return image.isNull() ? QSizeF() : image.deviceIndependentSize();
}

const QStyle* styleOf(const QWidget* view) {
    return view ? view->style() : QApplication::style();
}
} // namespace

QFont VTBaseButtonCell::effectiveFont(const QWidget* view) const {
    if (_font)
        return *_font;
    return view ? view->font() : QApplication::font();
}

QSizeF VTBaseButtonCell::cellSize(const QWidget* view) const {
    const QSizeF text = _title.size(effectiveFont(view));
    const QSizeF picture = pointSize(_image);
    const double gap = text.isEmpty() || picture.isEmpty() ? 0.0 : kImageTitleGap;
    return QSizeF(text.width() + picture.width() + gap + 2 * kSideInset,
                  std::max({text.height() + 6, picture.height() + 4, kMinimumHeight}));
}

QRectF VTBaseButtonCell::imageRectForBounds(const QRectF& frame) const {
    if (_image.isNull())
        return QRectF(frame.center(), QSizeF(0, 0));
    QSizeF size = pointSize(_image);
    if (_title.isEmpty()) {
        const QSizeF room = frame.size() - QSizeF(4, 4);
        if (size.width() > room.width() || size.height() > room.height())
            size = size.scaled(room.expandedTo(QSizeF(0, 0)), Qt::KeepAspectRatio);
        QRectF rect(QPointF(0, 0), size);
        rect.moveCenter(frame.center());
        return rect;
    }
    return QRectF(frame.left() + kSideInset, frame.center().y() - size.height() / 2, size.width(),
                  size.height());
}

QRectF VTBaseButtonCell::titleRectForBounds(const QRectF& frame) const {
    double left = frame.left() + kSideInset;
    if (!_image.isNull())
        left = imageRectForBounds(frame).right() + kImageTitleGap;
    return QRectF(left, frame.top(), std::max(0.0, frame.right() - kSideInset - left),
                  frame.height());
}

void VTBaseButtonCell::drawWithFrameInView(QPainter& painter, const QRectF& frame,
                                           const QWidget* view, const VTCellState& state) const {
    drawBezelWithFrameInView(painter, frame, view, state);
    drawInteriorWithFrameInView(painter, frame, view, state);
}

void VTBaseButtonCell::drawInteriorWithFrameInView(QPainter& painter, const QRectF& frame,
                                                   const QWidget* view,
                                                   const VTCellState& state) const {
    if (!_image.isNull())
        drawImageWithFrameInView(painter, _image, imageRectForBounds(frame), view, state);
    if (!_title.isEmpty())
        drawTitleWithFrameInView(painter, _title, titleRectForBounds(frame), view, state);
}

void VTBaseButtonCell::drawBezelWithFrameInView(QPainter& painter, const QRectF& frame,
                                                const QWidget* view,
                                                const VTCellState& state) const {
    if (!_bordered)
        return;
    QStyleOptionButton option;
    option.rect = frame.toRect();
    option.state = QStyle::State_Raised;
    if (state.enabled)
        option.state |= QStyle::State_Enabled;
    if (state.highlighted)
        option.state |= QStyle::State_Sunken;
    if (state.hovered)
        option.state |= QStyle::State_MouseOver;
    if (state.focused)
        option.state |= QStyle::State_HasFocus;
    if (view)
        option.palette = view->palette();
    styleOf(view)->drawControl(QStyle::CE_PushButtonBevel, &option, &painter, view);
}

void VTBaseButtonCell::drawImageWithFrameInView(QPainter& painter, const QImage& image,
                                                const QRectF& frame, const QWidget*,
                                                const VTCellState& state) const {
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    if (!state.enabled)
        painter.setOpacity(painter.opacity() * 0.5);
    painter.drawImage(frame, image);
    painter.restore();
}

QRectF VTBaseButtonCell::drawTitleWithFrameInView(QPainter& painter, const VTAttributedTitle& title,
                                                  const QRectF& frame, const QWidget* view,
                                                  const VTCellState& state) const {
    const QFont font = title.fontOr(effectiveFont(view));
    title.drawInRect(painter, frame, font, defaultTitleColor(view, state.enabled), _alignment);
    const QSizeF size = title.size(font);
    QRectF taken(QPointF(0, 0), QSizeF(std::min(size.width(), frame.width()), size.height()));
    taken.moveCenter(frame.center());
    return taken;
}

QColor VTBaseButtonCell::defaultTitleColor(const QWidget* view, bool enabled) {
    const QPalette palette = view ? view->palette() : QApplication::palette();
    return palette.color(enabled ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText);
}
