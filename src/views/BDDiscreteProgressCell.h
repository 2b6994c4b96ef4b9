#pragma once

#include "engine/BDProgressIndicator.h"

#include <QRect>

#include <memory>

class QPainter;
class QStyle;
class QWidget;

// Paints a row's progress indicator inside a table cell: a small bar inset 4 points left
// and right and 2 from the top. The indicator belongs to the row; the cell only paints it.
class BDDiscreteProgressCell {
public:
    static constexpr int kSmallBarHeight = 12;

    std::shared_ptr<BDProgressIndicator> progress() const { return _progress; }
    void setProgress(std::shared_ptr<BDProgressIndicator> indicator);

    // The bar's place in a cell frame: x + 4, y + 2, width - 8, at its small fitted height.
    static QRect indicatorFrame(const QRect& cellFrame);
    // Percent shown for a stored value: out-of-range and special negative values (waiting,
    // cancelled, failed) show an empty bar, values past the maximum a full one.
    static int displayedPercent(const BDProgressIndicator& indicator);

    // Paints the indicator (nothing when there is none or it is hidden). view gives the
    // style; it may be null.
    void drawInteriorWithFrameInView(QPainter& painter, const QRect& cellFrame,
                                     const QWidget* view) const;

private:
    std::shared_ptr<BDProgressIndicator> _progress;
};
