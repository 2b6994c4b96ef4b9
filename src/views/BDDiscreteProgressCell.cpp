#include "views/BDDiscreteProgressCell.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionProgressBar>
#include <QWidget>

#include <algorithm>
#include <cmath>

void BDDiscreteProgressCell::setProgress(std::shared_ptr<BDProgressIndicator> indicator) {
    _progress = std::move(indicator);
}

QRect BDDiscreteProgressCell::indicatorFrame(const QRect& cellFrame) {
    const int height = std::min(kSmallBarHeight, std::max(0, cellFrame.height() - 4));
    return QRect(cellFrame.x() + 4, cellFrame.y() + 2, std::max(0, cellFrame.width() - 8), height);
}

int BDDiscreteProgressCell::displayedPercent(const BDProgressIndicator& indicator) {
    const double minimum = indicator.minValue();
    const double maximum = indicator.maxValue();
    const double value = indicator.doubleValue();
    if (!std::isfinite(value) || maximum <= minimum || value <= minimum)
        return 0;
    if (value >= maximum)
        return 100;
    return static_cast<int>(std::lround((value - minimum) / (maximum - minimum) * 100.0));
}

void BDDiscreteProgressCell::drawInteriorWithFrameInView(QPainter& painter, const QRect& cellFrame,
                                                         const QWidget* view) const {
    if (!_progress || _progress->isHidden())
        return;
    const QRect frame = indicatorFrame(cellFrame);
    if (frame.isEmpty())
        return;

    QStyleOptionProgressBar option;
    if (view)
        option.initFrom(view);
    option.state |= QStyle::State_Horizontal;
    option.rect = frame;
    option.minimum = 0;
    option.maximum = 100;
    option.progress = displayedPercent(*_progress);
    option.textVisible = false;
    const QStyle* style = view ? view->style() : QApplication::style();
    painter.save();
    painter.setClipRect(frame);
    style->drawControl(QStyle::CE_ProgressBar, &option, &painter, view);
    painter.restore();
}
