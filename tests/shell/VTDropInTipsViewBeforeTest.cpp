#include "shell/ViewTestSupport.h"

#include "controls/VTDropInTipsView.h"
#include "views/VTDropInTipsView_Before.h"

#include <QCoreApplication>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

namespace {
void settle(QWidget& widget) {
    widget.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&widget));
    QCoreApplication::processEvents();
}
} // namespace

TEST(VTDropInTipsViewBefore, ChangingTheHighlightRedrawsTheView) {
    VTDropInTipsView_Before view;
    view.resize(320, 240);
    PaintCounter paints(&view);
    settle(view);

    for (bool highlighted : {true, false}) {
        paints.reset();
        view.setBHighlighted(highlighted);
        QCoreApplication::processEvents();
        EXPECT_TRUE(view.bHighlighted() == highlighted);
        EXPECT_GE(paints.count(), 1) << "highlight " << highlighted;
    }
}

TEST(VTDropInTipsViewBefore, TheFrameworkViewOnlyStoresTheHighlight) {
    VTDropInTipsView view;
    view.resize(320, 240);
    PaintCounter paints(&view);
    settle(view);
    paints.reset();
    view.setBHighlighted(true);
    QCoreApplication::processEvents();
    EXPECT_TRUE(view.bHighlighted());
    EXPECT_EQ(paints.count(), 0);
}

TEST(VTDropInTipsViewBefore, DrawsNormalAndHighlightedColours) {
    VTDropInTipsView_Before view;
    view.resize(320, 240);
    view.setStrPromot(QStringLiteral("Drag Musics Here To Convert"));
    const QRectF square = view.tipsPainter().arrowSquare(QRectF(view.rect()));
    // Inside the arrow's shaft: 50 across, 70 up from the square's lower edge.
    const QPoint shaft(qRound(square.left() + 50), qRound(square.bottom() - 70));

    struct Case {
        bool highlighted;
        QColor background;
        QColor arrow;
    } cases[] = {{false, QColor(236, 237, 235), QColor(162, 164, 166)},
                 {true, QColor(117, 187, 231), QColor(247, 249, 251)}};
    for (const Case& c : cases) {
        view.setBHighlighted(c.highlighted);
        const QImage image = renderOf(view);
        EXPECT_TRUE(sameRgb(image.pixelColor(3, 3), c.background)) << c.highlighted;
        EXPECT_TRUE(sameRgb(image.pixelColor(shaft), c.arrow)) << c.highlighted;
        // The prompt is drawn under the square in the arrow colour.
        const QRect below(0, qRound(square.bottom()) + 10, view.width(), 40);
        EXPECT_GT(countPixels(image, below, c.arrow, 30), 20) << c.highlighted;
    }
}

TEST(VTDropInTipsViewBefore, DropsAndClicksPassThroughToTheTableBeneath) {
    QWidget window;
    window.resize(400, 300);
    QTableView table(&window);
    table.setGeometry(0, 0, 400, 300);
    VTDropInTipsView_Before dropArea(&window);
    dropArea.setGeometry(0, 32, 400, 248);
    dropArea.raise();

    EXPECT_FALSE(dropArea.acceptDrops());
    QWidget* hit = window.childAt(200, 150);
    ASSERT_NE(hit, nullptr);
    EXPECT_TRUE(hit == &table || table.isAncestorOf(hit));
}
