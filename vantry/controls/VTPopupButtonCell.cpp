#include "VTPopupButtonCell.h"

#include "VTButtonImages.h"

#include <QFontMetricsF>
#include <QPainter>

namespace {
QList<QImage> namedSlices(const QString& base) {
    return {VTButtonImages::imageNamed(base + QStringLiteral("_left")),
            VTButtonImages::imageNamed(base + QStringLiteral("_center")),
            VTButtonImages::imageNamed(base + QStringLiteral("_right"))};
}

void drawAtOwnSize(QPainter& painter, const QImage& image, double x, double y) {
    painter.drawImage(QRectF(QPointF(x, y), image.deviceIndependentSize()), image);
}
} // namespace

VTPopupButtonCell::VTPopupButtonCell() {
    awakeFromNib();
}

const QList<QImage>& VTPopupButtonCell::classNormalSlices() {
    static const QList<QImage> slices = namedSlices(QStringLiteral("settings-base"));
    return slices;
}

const QList<QImage>& VTPopupButtonCell::classHighlightedSlices() {
    static const QList<QImage> slices = namedSlices(QStringLiteral("settings-base"));
    return slices;
}

const QList<QImage>& VTPopupButtonCell::classKeepHighlightSlices() {
    static const QList<QImage> slices = namedSlices(QStringLiteral("settings-base-on"));
    return slices;
}

const QList<QImage>& VTPopupButtonCell::classArrowDowns() {
    static const QList<QImage> arrows = {
        VTButtonImages::imageNamed(QStringLiteral("arrow-down-off")),
        VTButtonImages::imageNamed(QStringLiteral("arrow-down-on"))};
    return arrows;
}

void VTPopupButtonCell::awakeFromNib() {
    _showArrowDown = true;
    setAryGradientHlImgs(classHighlightedSlices());
    setAryGradientNorImgs(classNormalSlices());
    _aryKeepHighlightImgs = classKeepHighlightSlices();
    _maryArrowDowns = classArrowDowns();
}

QImage VTPopupButtonCell::getDrawImage() const {
    return _isKeepHighlight ? _imgHlIcon : _imgNorIcon;
}

QImage VTPopupButtonCell::getArrowDownImage() const {
    if (_maryArrowDowns.isEmpty())
        return {};
    return _isKeepHighlight ? _maryArrowDowns.last() : _maryArrowDowns.first();
}

void VTPopupButtonCell::setArrowDownImageForState(const QImage& image, bool highlighted) {
    const qsizetype index = highlighted ? 1 : 0;
    if (image.isNull()) {
        if (index < _maryArrowDowns.size())
            _maryArrowDowns.removeAt(index);
        return;
    }
    _maryArrowDowns.insert(std::min(index, _maryArrowDowns.size()), image);
}

void VTPopupButtonCell::setIconImageForState(const QImage& image, bool highlighted) {
    if (highlighted)
        _imgHlIcon = image;
    else
        _imgNorIcon = image;
}

void VTPopupButtonCell::drawWithFrameInView(QPainter& painter, const QRectF& frame,
                                            const QWidget* view, const VTCellState& state) const {
    VTGradientButtonCell::drawWithFrameInView(painter, frame, view, state);
    const double width = frame.width(), height = frame.height();
    const QImage icon = getDrawImage();
    if (!icon.isNull()) {
        const QSizeF size = icon.deviceIndependentSize();
        const double x = title().isEmpty() ? double(float((width - size.width()) * 0.5)) : 8.0;
        drawAtOwnSize(painter, icon, x, (height - size.height()) * 0.5);
    }
    const QImage arrow = getArrowDownImage();
    if (!arrow.isNull() && _showArrowDown) {
        const QSizeF size = arrow.deviceIndependentSize();
        drawAtOwnSize(painter, arrow, double(float(width - size.width() - 6.0)),
                      (height - size.height()) * 0.5);
    }
}

void VTPopupButtonCell::drawBezelWithFrameInView(QPainter& painter, const QRectF& frame,
                                                 const QWidget* view,
                                                 const VTCellState& state) const {
    if (_isKeepHighlight && state.enabled)
        drawSlicesInFrame(painter, frame, _aryKeepHighlightImgs);
    else
        VTGradientButtonCell::drawBezelWithFrameInView(painter, frame, view, state);
}

// The x-height band of the title is centred in the frame: the frame's y is where that band
// starts, so the baseline lies one x-height lower.
QRectF VTPopupButtonCell::drawTitleWithFrameInView(QPainter& painter,
                                                   const VTAttributedTitle& title,
                                                   const QRectF& frame, const QWidget* view,
                                                   const VTCellState&) const {
    const QFont font = title.fontOr(effectiveFont(view));
    const QFontMetricsF metrics(font);
    const double x =
        getDrawImage().isNull() ? -0.5 * imageRectForBounds(frame).width() : frame.x() + 6.0;
    const QRectF titleFrame(x, (frame.height() - metrics.xHeight()) * 0.5, frame.width(),
                            frame.height());
    const QString shown = metrics.elidedText(title.string, Qt::ElideRight, titleFrame.width());
    const double textWidth = metrics.horizontalAdvance(shown);
    const Qt::Alignment horizontal =
        title.alignment.value_or(alignment()) & Qt::AlignHorizontal_Mask;
    double left = titleFrame.left();
    if (horizontal & Qt::AlignHCenter)
        left += (titleFrame.width() - textWidth) * 0.5;
    else if (horizontal & Qt::AlignRight)
        left += titleFrame.width() - textWidth;
    painter.save();
    painter.setFont(font);
    painter.setPen(_isKeepHighlight ? QColor(Qt::white) : QColor::fromRgbF(0.2f, 0.2f, 0.2f));
    painter.drawText(QPointF(left, titleFrame.top() + metrics.xHeight()), shown);
    painter.restore();
    return QRectF(left, titleFrame.top() + metrics.xHeight() - metrics.ascent(), textWidth,
                  metrics.height());
}
