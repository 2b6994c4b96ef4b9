#include "controls/RHEdgeInsets.h"
#include "controls/RHNinePartDrawing.h"
#include "controls/RHResizableImage.h"
#include "controls/RHResizableImageAdditions.h"

#include "ScopedLocale.h"
#include "TestEnvironment.h"

#include <QPainter>

#include <cmath>

#include <gtest/gtest.h>

namespace {
const QColor kCorner(Qt::red);
const QColor kCentre(Qt::blue);
const QColor kTopA(Qt::yellow), kTopB(Qt::green);
const QColor kLeftUpper(Qt::cyan), kLeftLower(Qt::magenta);
const QColor kOtherEdge(Qt::gray);

// A 30 x 30 picture with 10-point caps: red corners, blue centre, a top edge yellow on its
// left half and green on its right, a left edge cyan above and magenta below.
QImage capsImage(double devicePixelRatio = 1.0) {
    const int s = int(devicePixelRatio);
    QImage image(30 * s, 30 * s, QImage::Format_ARGB32_Premultiplied);
    image.fill(kOtherEdge);
    QPainter painter(&image);
    painter.scale(s, s);
    for (QPoint corner : {QPoint(0, 0), QPoint(20, 0), QPoint(0, 20), QPoint(20, 20)})
        painter.fillRect(QRect(corner, QSize(10, 10)), kCorner);
    painter.fillRect(QRect(10, 10, 10, 10), kCentre);
    painter.fillRect(QRect(10, 0, 5, 10), kTopA);
    painter.fillRect(QRect(15, 0, 5, 10), kTopB);
    painter.fillRect(QRect(0, 10, 10, 5), kLeftUpper);
    painter.fillRect(QRect(0, 15, 10, 5), kLeftLower);
    painter.end();
    image.setDevicePixelRatio(devicePixelRatio);
    return image;
}

QImage render(const RHResizableImage& image, const QSize& size, double scale = 1.0) {
    QImage canvas(size * scale, QImage::Format_ARGB32_Premultiplied);
    canvas.setDevicePixelRatio(scale);
    canvas.fill(Qt::transparent);
    QPainter painter(&canvas);
    image.drawInRect(painter, QRectF(QPointF(0, 0), size));
    return canvas;
}

void keep(const QImage& image, const QString& name) {
    image.save(TestEnvironment::renderFolder() + u'/' + name);
}

bool sameColour(const QImage& image, int x, int y, const QColor& expected) {
    return image.pixelColor(x, y).rgba() == expected.rgba();
}
} // namespace

TEST(RHEdgeInsets, TextFormReadsAndWritesInTheCLocale) {
    struct Case {
        const char* name;
        QString text;
        RHEdgeInsets insets;
    } cases[] = {
        {"whole numbers", QStringLiteral("{1,2,3,4}"), {1, 2, 3, 4}},
        {"fractions", QStringLiteral("{1.5,0.25,10,-2}"), {1.5, 0.25, 10, -2}},
        {"two values", QStringLiteral("{1,2}"), {1, 2, 0, 0}},
        {"blanks before values", QStringLiteral("{ 1, 2, 3, 4}"), {1, 2, 3, 4}},
        {"no brace", QStringLiteral("1,2,3,4"), {0, 0, 0, 0}},
        {"three values", QStringLiteral("{1,5,2}"), {1, 5, 2, 0}},
        {"null", QString(), {0, 0, 0, 0}},
    };
    for (const bool german : {false, true}) {
        ScopedLocale locale(german ? "de_DE.UTF-8" : "C");
        if (german && !locale.active())
            GTEST_SKIP() << "de_DE.UTF-8 is not generated on this machine";
        for (const Case& c : cases)
            EXPECT_TRUE(RHEdgeInsetsEqualToEdgeInsets(RHEdgeInsetsFromString(c.text), c.insets))
                << c.name << (german ? " (German)" : "");
        EXPECT_EQ(NSStringFromRHEdgeInsets({1, 2, 3, 4}), QStringLiteral("{1,2,3,4}"));
        EXPECT_EQ(NSStringFromRHEdgeInsets({1.5, 0.125, 1e-7, 1234567}),
                  QStringLiteral("{1.5,0.125,1e-07,1.23457e+06}"));
    }
}

TEST(RHEdgeInsets, InsetRectAndEquality) {
    const RHEdgeInsets insets = RHEdgeInsetsMake(10, 5, 20, 5);
    EXPECT_EQ(RHEdgeInsetsInsetRect(QRectF(0, 0, 100, 50), insets, false), QRectF(5, 20, 90, 20));
    EXPECT_EQ(RHEdgeInsetsInsetRect(QRectF(0, 0, 100, 50), insets, true), QRectF(5, 10, 90, 20));
    EXPECT_TRUE(RHEdgeInsetsEqualToEdgeInsets(insets, {10, 5, 20, 5}));
    EXPECT_FALSE(RHEdgeInsetsEqualToEdgeInsets(insets, {10, 5, 20, 6}));
    const RHEdgeInsets notANumber{std::nan(""), 0, 0, 0};
    EXPECT_FALSE(RHEdgeInsetsEqualToEdgeInsets(notANumber, notANumber));
}

TEST(RHNinePartDrawing, PiecesAreCutInReadingOrderAndSharePixels) {
    const QImage source = capsImage();
    const RHNinePieces pieces = RHNinePartPiecesFromImageWithInsets(source, {10, 10, 10, 10});
    const QColor expected[9] = {kCorner,    kTopA,   kCorner,    kLeftUpper, kCentre,
                                kOtherEdge, kCorner, kOtherEdge, kCorner};
    for (int i = 0; i < 9; ++i) {
        ASSERT_EQ(pieces[i].size(), QSize(10, 10)) << i;
        EXPECT_EQ(pieces[i].pixelColor(1, 1), expected[i]) << "piece " << i;
    }
    const uchar* first = source.constBits();
    const uchar* end = first + source.sizeInBytes();
    EXPECT_TRUE(pieces[RHNinePartCenter].constBits() >= first &&
                pieces[RHNinePartCenter].constBits() < end)
        << "the centre piece points into the source's pixels";

    const RHNinePieces unequal = RHNinePartPiecesFromImageWithInsets(source, {4, 6, 8, 2});
    EXPECT_EQ(unequal[RHNinePartTopLeft].size(), QSize(6, 4));
    EXPECT_EQ(unequal[RHNinePartCenter].size(), QSize(22, 18));
    EXPECT_EQ(unequal[RHNinePartBottomRight].size(), QSize(2, 8));
}

TEST(RHNinePartDrawing, InsetsThatDoNotFitGiveNoPieces) {
    struct Case {
        const char* name;
        RHEdgeInsets insets;
    } cases[] = {{"wider than the image", {0, 20, 0, 11}},
                 {"taller than the image", {16, 0, 15, 0}},
                 {"negative", {-1, 0, 0, 0}}};
    for (const Case& c : cases) {
        const RHNinePieces pieces = RHNinePartPiecesFromImageWithInsets(capsImage(), c.insets);
        for (const QImage& piece : pieces)
            EXPECT_TRUE(piece.isNull()) << c.name;
        const QImage drawn = render(RHResizableImage(capsImage(), c.insets), QSize(50, 50));
        EXPECT_EQ(drawn.pixelColor(25, 25).alpha(), 0) << c.name << ": nothing drawn";
    }
}

TEST(RHResizableImage, CornersStayAndEdgesTileOrStretch) {
    struct Case {
        const char* name;
        int mode;
        QColor topEdgeAt17;  // 7 points into the top edge
        QColor leftEdgeAt12; // 2 points below the top-left corner
    } cases[] = {
        // Tiles of 10 from the bottom-left: 17 is the 2nd point of the 2nd yellow/green tile's
        // green half; rows 10-14 are the lower (magenta) half of a tile cut at the top.
        {"tile", RHResizableImageResizingModeTile, kTopB, kLeftLower},
        // One 10-point edge stretched over 80 (x) and 25 (y).
        {"stretch", RHResizableImageResizingModeStretch, kTopA, kLeftUpper},
    };
    for (const Case& c : cases) {
        const RHResizableImage image(capsImage(), RHEdgeInsetsMake(10, 10, 10, 10), c.mode);
        const QImage drawn = render(image, QSize(100, 45));
        keep(drawn, QStringLiteral("nine-part-%1.png").arg(QLatin1String(c.name)));
        for (QPoint corner : {QPoint(1, 1), QPoint(8, 8), QPoint(91, 1), QPoint(98, 8),
                              QPoint(1, 36), QPoint(98, 43)})
            EXPECT_TRUE(sameColour(drawn, corner.x(), corner.y(), kCorner))
                << c.name << " corner pixel " << corner.x() << "," << corner.y();
        EXPECT_TRUE(sameColour(drawn, 12, 5, kTopA)) << c.name;
        EXPECT_TRUE(sameColour(drawn, 17 + 10, 5, c.topEdgeAt17)) << c.name;
        EXPECT_TRUE(sameColour(drawn, 5, 12, c.leftEdgeAt12)) << c.name;
        EXPECT_TRUE(sameColour(drawn, 50, 22, kCentre)) << c.name;
    }
}

TEST(RHResizableImage, ComposesOncePerSizeAndDeviceScale) {
    const RHResizableImage image(capsImage(), RHEdgeInsetsMake(10, 10, 10, 10));
    EXPECT_TRUE(image.cachedComposition().isNull());
    render(image, QSize(100, 40));
    const qint64 first = image.cachedComposition().cacheKey();
    EXPECT_EQ(image.cachedSize(), QSizeF(100, 40));
    EXPECT_EQ(image.cachedDeviceScale(), 1.0);
    render(image, QSize(100, 40));
    EXPECT_EQ(image.cachedComposition().cacheKey(), first) << "same size: no new composition";

    const QImage sharp = render(image, QSize(100, 40), 2.0);
    EXPECT_NE(image.cachedComposition().cacheKey(), first);
    EXPECT_EQ(image.cachedDeviceScale(), 2.0);
    EXPECT_EQ(image.cachedComposition().size(), QSize(200, 80));
    EXPECT_TRUE(sameColour(sharp, 19, 19, kCorner)) << "a 10-point corner is 20 pixels";

    render(image, QSize(60, 40), 2.0);
    EXPECT_EQ(image.cachedSize(), QSizeF(60, 40));
}

TEST(RHResizableImage, EmptyDrawingSizesDrawNothing) {
    const RHResizableImage image(capsImage(), RHEdgeInsetsMake(10, 10, 10, 10));
    for (QSizeF size : {QSizeF(0, 40), QSizeF(40, 0), QSizeF(-5, 40)}) {
        QImage canvas(50, 50, QImage::Format_ARGB32_Premultiplied);
        canvas.fill(Qt::transparent);
        QPainter painter(&canvas);
        image.drawInRect(painter, QRectF(QPointF(0, 0), size));
        painter.end();
        EXPECT_EQ(canvas.pixelColor(0, 0).alpha(), 0) << size.width() << "x" << size.height();
        EXPECT_TRUE(image.cachedComposition().isNull());
    }
}

TEST(RHResizableImageAdditions, StretchableCapsLeaveOnePointInTheMiddle) {
    QImage square(21, 21, QImage::Format_ARGB32_Premultiplied);
    square.fill(Qt::white);
    const RHResizableImage image =
        RHResizableImageAdditions::stretchableImageWithLeftCapWidthTopCapHeight(square, 10, 10);
    EXPECT_TRUE(RHEdgeInsetsEqualToEdgeInsets(image.capInsets1(), {10, 10, 10, 10}));
    EXPECT_EQ(image.resizingMode1(), RHResizableImageResizingModeTile);
    EXPECT_EQ(image.pieces()[RHNinePartCenter].size(), QSize(1, 1));
    EXPECT_EQ(RHResizableImageAdditions::resizableImageWithCapInsetsResizingMode(square, {}, 7)
                  .resizingMode1(),
              7);
}

TEST(RHNinePartDrawing, DeviceScaleFollowsTheTarget) {
    for (double scale : {1.0, 2.0}) {
        QImage canvas(QSize(10, 10) * scale, QImage::Format_ARGB32_Premultiplied);
        canvas.setDevicePixelRatio(scale);
        QPainter painter(&canvas);
        EXPECT_DOUBLE_EQ(RHContextGetDeviceScale(painter), scale);
    }
    EXPECT_FLOAT_EQ(distance(3, 4), 5.0f);
}

TEST(RHNinePartDrawing, TilesStartAtTheBottomLeftCorner) {
    QImage tile(4, 4, QImage::Format_ARGB32_Premultiplied);
    tile.fill(Qt::white);
    QPainter(&tile).fillRect(0, 0, 4, 2, Qt::black); // black upper half
    QImage canvas(10, 10, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    QPainter painter(&canvas);
    RHDrawTiledImageInRect(painter, tile, QRectF(0, 0, 10, 10),
                           QPainter::CompositionMode_SourceOver, 1.0);
    painter.end();
    // Rows 6-9 hold the first tile; rows 0-1 the bottom (white) half of a clipped tile.
    EXPECT_EQ(canvas.pixelColor(0, 9), QColor(Qt::white));
    EXPECT_EQ(canvas.pixelColor(0, 6), QColor(Qt::black));
    EXPECT_EQ(canvas.pixelColor(0, 0), QColor(Qt::white));
}
