#include "views/LBProgressBar.h"

#include <gtest/gtest.h>

TEST(LBProgressBar, FillCoversTheValuesShareOfTheRange) {
    struct Case {
        double minimum, maximum, value, fraction;
    } cases[] = {
        {0, 100, 0, 0},     {0, 100, 25, 0.25}, {20, 120, 50, 0.3}, {20, 120, 20, 0},
        {0, 100, 150, 1.0}, {0, 100, -4, 0},    {50, 50, 50, 0},
    };
    for (const Case& c : cases) {
        LBProgressBar bar;
        bar.resize(204, 20);
        bar.setMinValue(c.minimum);
        bar.setMaxValue(c.maximum);
        bar.setDoubleValue(c.value);
        EXPECT_NEAR(bar.fraction(), c.fraction, 1e-6)
            << c.minimum << ".." << c.maximum << " " << c.value;
        const QRectF fill = bar.progressRect();
        if (c.fraction == 0) {
            EXPECT_TRUE(fill.isEmpty());
        } else {
            EXPECT_NEAR(fill.width(), c.fraction * 204 - 4, 1e-3);
            EXPECT_EQ(fill.height(), 15.0);
            EXPECT_EQ(fill.x(), 2.0);
        }
    }
}

TEST(LBProgressBar, StripePhaseWrapsAfterFifteenDrawings) {
    LBProgressBar bar;
    bar.resize(100, 16);
    bar.setDoubleValue(40);
    for (int drawing = 1; drawing <= 15; ++drawing) {
        bar.grab();
        EXPECT_EQ(bar.progressOffset(), drawing == 15 ? 0.0 : double(drawing));
    }
}

TEST(LBProgressBar, AnimationKeepsOneTimer) {
    LBProgressBar bar;
    EXPECT_EQ(bar.animator(), nullptr);
    bar.startAnimation();
    QTimer* first = bar.animator();
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(first->isActive());
    EXPECT_EQ(first->interval(), 33);
    bar.startAnimation();
    EXPECT_EQ(bar.animator(), first);
    bar.stopAnimation();
    EXPECT_EQ(bar.animator(), nullptr);
}

TEST(LBProgressBar, ReachingTheMaximumStopsOnlyABarHiddenWhenStopped) {
    for (bool displayedWhenStopped : {false, true}) {
        LBProgressBar bar;
        bar.setDisplayedWhenStopped(displayedWhenStopped);
        bar.startAnimation();
        bar.setDoubleValue(99.5);
        EXPECT_NE(bar.animator(), nullptr);
        bar.setDoubleValue(100.0);
        EXPECT_EQ(bar.animator() == nullptr, !displayedWhenStopped);
    }
}
