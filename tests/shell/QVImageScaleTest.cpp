#include "views/QVImageScale.h"

#include <QPainter>

#include <gtest/gtest.h>

TEST(QVImageScale, FitAndCoverSizes) {
    struct Case {
        QSizeF source, target, fit, cover;
    } cases[] = {
        {{100, 100}, {80, 50}, {50, 50}, {80, 80}},
        {{200, 100}, {100, 100}, {100, 50}, {200, 100}},
        {{100, 200}, {100, 50}, {25, 50}, {100, 200}},
        {{100, 200}, {100, 100}, {50, 100}, {100, 200}},
        {{640, 480}, {300, 300}, {300, 225}, {400, 300}},
        // Nothing to scale: no size rather than a division by zero.
        {{0, 100}, {100, 100}, {0, 0}, {0, 0}},
        {{100, 100}, {0, 50}, {0, 0}, {0, 0}},
    };
    // Ratios are single precision: 4/3 of 300 comes out a few millionths above 400.
    const auto expectNear = [](const QSizeF& actual, const QSizeF& expected, const QSizeF& source) {
        EXPECT_NEAR(actual.width(), expected.width(), 1e-3)
            << source.width() << "x" << source.height();
        EXPECT_NEAR(actual.height(), expected.height(), 1e-3)
            << source.width() << "x" << source.height();
    };
    for (const Case& c : cases) {
        expectNear(QVImageScale::scaledSizeToFitSize(c.source, c.target), c.fit, c.source);
        expectNear(QVImageScale::scaledSizeToCoverSize(c.source, c.target), c.cover, c.source);
    }
}

TEST(QVImageScale, FittedImageIsCentredOnATransparentCanvas) {
    QImage wide(200, 100, QImage::Format_ARGB32);
    wide.fill(Qt::red);
    const QImage fitted = QVImageScale::scaledImageToFitSize(wide, QSizeF(100, 100));
    ASSERT_EQ(fitted.size(), QSize(100, 100));
    EXPECT_EQ(fitted.pixelColor(50, 10).alpha(), 0) << "above the picture";
    EXPECT_EQ(fitted.pixelColor(50, 90).alpha(), 0) << "below the picture";
    EXPECT_EQ(fitted.pixelColor(50, 50), QColor(Qt::red));
    EXPECT_EQ(fitted.pixelColor(1, 30), QColor(Qt::red));
}

TEST(QVImageScale, BoxFillsAndOutlinesTheFittedArea) {
    QImage tall(50, 100, QImage::Format_ARGB32);
    tall.fill(Qt::transparent);
    const QImage boxed = QVImageScale::scaledImageToFitSizeWithInterpolationAndBox(
        tall, QSizeF(100, 100), false, true);
    ASSERT_EQ(boxed.size(), QSize(100, 100));
    EXPECT_EQ(boxed.pixelColor(50, 50), QColor(Qt::white));
    EXPECT_EQ(boxed.pixelColor(10, 50).alpha(), 0);
    EXPECT_EQ(boxed.pixelColor(25, 50), QColor(Qt::black)) << "the outline's left edge";
}

TEST(QVImageScale, NothingToDrawGivesNoImage) {
    EXPECT_TRUE(QVImageScale::scaledImageToFitSize(QImage(), QSizeF(10, 10)).isNull());
    EXPECT_TRUE(
        QVImageScale::scaledImageToFitSize(QImage(4, 4, QImage::Format_RGB32), QSizeF(0, 10))
            .isNull());
}
