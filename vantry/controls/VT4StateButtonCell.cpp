#include "VT4StateButtonCell.h"

#include <QPainter>

#include <algorithm>

namespace {
template <typename T> void putInSlot(QList<T>& entries, int index, const T& value) {
    if (entries.size() <= index)
        entries.resize(index + 1);
    entries[index] = value;
}
} // namespace

VT4StateButtonCell::VT4StateButtonCell(int maxState)
    : _acturalMaxState(maxState >= 0 && maxState <= kLargestMaxState ? maxState
                                                                     : kLargestMaxState) {}

void VT4StateButtonCell::setCurState(int state) {
    _curState = std::clamp(state, 0, _acturalMaxState);
}

void VT4StateButtonCell::setBackgroundImageForState(const QImage& image, int state) {
    if (!image.isNull() && acceptsState(state))
        putInSlot(_maryStateBgImgs, state, image);
}

void VT4StateButtonCell::setTitleForState(const VTAttributedTitle& title, int state) {
    if (!title.isEmpty() && acceptsState(state))
        putInSlot(_maryStateTitles, state, title);
}

void VT4StateButtonCell::setStateBackgroundImages(const QList<QImage>& images) {
    if (images.size() <= _acturalMaxState)
        _maryStateBgImgs = images;
}

void VT4StateButtonCell::setStateTitles(const QList<VTAttributedTitle>& titles) {
    if (titles.size() <= _acturalMaxState)
        _maryStateTitles = titles;
}

void VT4StateButtonCell::drawWithFrameInView(QPainter& painter, const QRectF& frame,
                                             const QWidget* view, const VTCellState& state) const {
    const QImage background = _maryStateBgImgs.value(_curState);
    if (!background.isNull())
        painter.drawImage(QRectF(QPointF(0, 0), background.deviceIndependentSize()), background);
    const VTAttributedTitle title = _maryStateTitles.value(_curState);
    if (title.isEmpty())
        return;
    const QFont font = effectiveFont(view);
    const QSizeF size = title.size(font);
    const QRectF place((frame.width() - size.width()) * 0.5, (frame.height() - size.height()) * 0.5,
                       size.width() + 1, size.height());
    title.drawInRect(painter, place, font, defaultTitleColor(view, state.enabled), Qt::AlignLeft);
}
