#include "shell/ViewTestSupport.h"

#include "engine/LSMediaTypes.h"
#include "views/BDDiscreteProgressCell.h"
#include "views/BDDiscreteProgressCellDelegate.h"
#include "views/RMTableView.h"

#include <QPainter>
#include <QStandardItemModel>
#include <QStyleFactory>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>

namespace {
// Paints one cell of the given size on white and returns the picture.
QImage paintCell(const std::shared_ptr<BDProgressIndicator>& indicator, QWidget& view,
                 QSize size = QSize(120, 17)) {
    QImage image(size, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    BDDiscreteProgressCell cell;
    cell.setProgress(indicator);
    cell.drawInteriorWithFrameInView(painter, QRect(QPoint(0, 0), size), &view);
    return image;
}

std::shared_ptr<BDProgressIndicator> indicatorAt(double value, bool hidden = false) {
    auto indicator = std::make_shared<BDProgressIndicator>();
    indicator->setDoubleValue(value);
    indicator->setHidden(hidden);
    return indicator;
}
} // namespace

TEST(BDDiscreteProgressCell, SpecialValuesShowAnEmptyOrFullBar) {
    struct Case {
        double value;
        int percent;
    } cases[] = {{QVProgressWaiting, 0},
                 {QVProgressSyncing, 0},
                 {QVProgressCanceled, 0},
                 {QVProgressFailed, 0},
                 {std::numeric_limits<double>::quiet_NaN(), 0},
                 {0.0, 0},
                 {0.4, 0},
                 {37.6, 38},
                 {100.0, 100},
                 {250.0, 100},
                 {std::numeric_limits<double>::infinity(), 0}};
    for (const Case& c : cases)
        EXPECT_EQ(BDDiscreteProgressCell::displayedPercent(*indicatorAt(c.value)), c.percent)
            << c.value;
}

TEST(BDDiscreteProgressCell, IndicatorSitsInsideTheCellFrame) {
    EXPECT_EQ(BDDiscreteProgressCell::indicatorFrame(QRect(10, 34, 120, 17)),
              QRect(14, 36, 112, 12));
    EXPECT_EQ(BDDiscreteProgressCell::indicatorFrame(QRect(0, 0, 6, 5)), QRect(4, 2, 0, 1));
}

TEST(BDDiscreteProgressCell, PaintsTheFillForTheRowValueOnly) {
    QWidget view;
    std::unique_ptr<QStyle> fusion(QStyleFactory::create(QStringLiteral("Fusion")));
    view.setStyle(fusion.get());
    const QImage empty = paintCell(indicatorAt(0.0), view);
    const QImage full = paintCell(indicatorAt(100.0), view);
    const int row = 8;
    const QPoint left(20, row);   // a quarter in
    const QPoint right(100, row); // near the end
    ASSERT_FALSE(sameRgb(empty.pixelColor(left), full.pixelColor(left), 10))
        << "the fill must differ from the empty trough";

    struct Case {
        double value;
        bool leftFilled;
        bool rightFilled;
    } cases[] = {{QVProgressFailed, false, false},
                 {QVProgressCanceled, false, false},
                 {QVProgressWaiting, false, false},
                 {50.0, true, false},
                 {100.0, true, true},
                 {400.0, true, true}};
    for (const Case& c : cases) {
        const QImage image = paintCell(indicatorAt(c.value), view);
        EXPECT_EQ(sameRgb(image.pixelColor(left), full.pixelColor(left), 10), c.leftFilled)
            << c.value;
        EXPECT_EQ(sameRgb(image.pixelColor(right), full.pixelColor(right), 10), c.rightFilled)
            << c.value;
        // Nothing is painted outside the indicator's frame.
        EXPECT_EQ(image.pixelColor(1, row), QColor(Qt::white)) << c.value;
        EXPECT_EQ(image.pixelColor(118, row), QColor(Qt::white)) << c.value;
    }
}

TEST(BDDiscreteProgressCell, HiddenOrMissingIndicatorPaintsNothing) {
    QWidget view;
    for (const auto& indicator :
         {indicatorAt(60.0, true), std::shared_ptr<BDProgressIndicator>()}) {
        const QImage image = paintCell(indicator, view);
        EXPECT_EQ(countPixels(image, image.rect(), Qt::white, 0), image.width() * image.height());
    }
}

namespace {
class CellSource : public RMTableViewDataSource {
public:
    std::vector<std::shared_ptr<BDProgressIndicator>> indicators;
    QList<QPair<int, int>> asked;
    void tableViewWillDisplayCellForTableColumnRow(RMTableView*, BDDiscreteProgressCell& cell,
                                                   int column, int row) override {
        asked << qMakePair(row, column);
        cell.setProgress(indicators.at(static_cast<size_t>(row)));
    }
};
} // namespace

TEST(BDDiscreteProgressCellDelegate, AsksTheDataSourceForEachPaintedRow) {
    QStandardItemModel model(3, 2);
    RMTableView table;
    table.setModel(&model);
    table.resize(400, 200);
    CellSource source;
    source.indicators = {indicatorAt(100.0), indicatorAt(QVProgressFailed),
                         indicatorAt(30.0, true)};
    table.setDataSource(&source);
    table.setItemDelegateForColumn(1, new BDDiscreteProgressCellDelegate(&table));

    table.grab();
    std::sort(source.asked.begin(), source.asked.end());
    EXPECT_EQ(source.asked, (QList<QPair<int, int>>{{0, 1}, {1, 1}, {2, 1}}));
}
