#include "controls/VTColorExtensions.h"
#include "controls/VTImageFlip.h"
#include "controls/VTImageResize.h"

#include "TestEnvironment.h"

#include <QFile>
#include <QImageReader>
#include <QPainter>

#include <gtest/gtest.h>

namespace {
// Red upper half, blue lower half.
QImage twoBands(int width = 20, int height = 20) {
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::blue);
    QPainter(&image).fillRect(0, 0, width, height / 2, Qt::red);
    return image;
}

void keep(const QImage& image, const QString& name) {
    image.save(TestEnvironment::renderFolder() + u'/' + name);
}
} // namespace

TEST(VTImageFlip, FlipsTopToBottomAndKeepsNull) {
    EXPECT_TRUE(VTImageFlip::flipImage(QImage()).isNull());
    QImage source = twoBands();
    source.setDevicePixelRatio(2.0);
    const QImage flipped = VTImageFlip::flipImage(source);
    EXPECT_EQ(flipped.pixelColor(5, 2), QColor(Qt::blue));
    EXPECT_EQ(flipped.pixelColor(5, 17), QColor(Qt::red));
    EXPECT_EQ(flipped.devicePixelRatio(), 2.0);
}

TEST(VTColorExtensions, ShadesStayWithinRangeAndAreOpaque) {
    struct Case {
        const char* name;
        QColor color;
        float value;
        QColor lighter, darker;
    } cases[] = {
        {"mid grey", QColor::fromRgbF(0.5f, 0.5f, 0.5f), 0.25f,
         QColor::fromRgbF(0.75f, 0.75f, 0.75f), QColor::fromRgbF(0.25f, 0.25f, 0.25f)},
        {"clamped at white and black", QColor::fromRgbF(0.9f, 0.1f, 0.5f, 0.3f), 0.2f,
         QColor::fromRgbF(1.0f, 0.3f, 0.7f), QColor::fromRgbF(0.7f, 0.0f, 0.3f)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(VTColorExtensions::lightenColorByValue(c.color, c.value).rgba(), c.lighter.rgba())
            << c.name;
        EXPECT_EQ(VTColorExtensions::darkenColorByValue(c.color, c.value).rgba(), c.darker.rgba())
            << c.name;
    }
    EXPECT_FALSE(VTColorExtensions::lightenColorByValue(QColor(), 0.1f).isValid());
}

TEST(VTColorExtensions, LightColoursHaveAMeanAboveFourFifths) {
    struct Case {
        const char* name;
        QColor color;
        bool light;
    } cases[] = {
        {"light grey button", QColor::fromRgbF(0.85f, 0.85f, 0.85f), true},
        {"blue button", QColor::fromRgbF(0.0f, 0.33f, 0.8f), false},
        {"orange: bright but mean 0.52", QColor::fromRgbF(0.97f, 0.58f, 0.02f), false},
        {"grey exactly 0.8 is not light", QColor::fromRgbF(0.8f, 0.8f, 0.8f), false},
        {"white", QColor(Qt::white), true},
        {"invalid", QColor(), false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(VTColorExtensions::isLightColor(c.color), c.light) << c.name;
}

TEST(VTImageResize, FittedSizes) {
    struct Case {
        QSizeF size, maximum, fitted;
    } cases[] = {
        {{1600, 900}, {800, 600}, {800, 450}},
        {{400, 300}, {800, 600}, {400, 300}},
        {{400, 1200}, {800, 600}, {200, 600}},
        {{400, 300}, {0, 600}, {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(VTImageResize::getSizeWithOriginMax(c.size, c.maximum), c.fitted)
            << c.size.width() << "x" << c.size.height();
        EXPECT_EQ(VTImageResize::getSizeWithOriginFillMax(c.size, c.maximum), c.fitted);
    }
    EXPECT_EQ(VTImageResize::boundsOffsetDeltaXDeltaY(QRectF(5, 5, 10, 20), 2, -4),
              QRectF(0, 0, 12, 16));
}

TEST(VTImageResize, ReflectionIsUpsideDownAndFadesDownwards) {
    const QImage reflection = VTImageResize::reflectedImageAmountReflected(twoBands(20, 40), 0.5f);
    keep(reflection, QStringLiteral("reflection.png"));
    ASSERT_EQ(reflection.size(), QSize(20, 40));
    const QColor top = reflection.pixelColor(10, 0);
    EXPECT_EQ(top.blue(), 255) << "the lower band comes first";
    EXPECT_GT(top.alpha(), 240);
    EXPECT_GT(reflection.pixelColor(10, 5).alpha(), reflection.pixelColor(10, 15).alpha());
    EXPECT_EQ(reflection.pixelColor(10, 25).alpha(), 0) << "below the fade nothing shows";
    EXPECT_EQ(
        VTImageResize::reflectedImageAmountReflected(twoBands(), 0.0f).pixelColor(5, 5).alpha(), 0);
}

TEST(VTImageResize, RotationTurnsAnticlockwiseByQuarters) {
    struct Case {
        float degrees;
        QPoint redSample, blueSample;
    } cases[] = {
        {0.0f, {10, 2}, {10, 17}},   {45.0f, {2, 10}, {17, 10}},  {180.0f, {10, 17}, {10, 2}},
        {260.0f, {17, 10}, {2, 10}}, {400.0f, {10, 2}, {10, 17}}, {-10.0f, {10, 2}, {10, 17}},
    };
    for (const Case& c : cases) {
        const QImage rotated = VTImageResize::rotateImageByDegrees(twoBands(), c.degrees);
        EXPECT_EQ(rotated.pixelColor(c.redSample), QColor(Qt::red)) << c.degrees;
        EXPECT_EQ(rotated.pixelColor(c.blueSample), QColor(Qt::blue)) << c.degrees;
    }
}

TEST(VTImageResize, TileRepeatsFromTheBottomAndStretchCovers) {
    const QImage tiled =
        VTImageResize::tiledImageWithSrcImageDestSizeType(twoBands(), QSizeF(50, 30), "Tile");
    const QImage stretched =
        VTImageResize::tiledImageWithSrcImageDestSizeType(twoBands(), QSizeF(50, 30), "Stretch");
    keep(tiled, QStringLiteral("tiled.png"));
    // Tiles of 20 from the bottom: rows 10-29 are one tile, rows 0-9 the lower half of the next.
    EXPECT_EQ(tiled.pixelColor(45, 5), QColor(Qt::blue));
    EXPECT_EQ(tiled.pixelColor(45, 15), QColor(Qt::red));
    EXPECT_EQ(tiled.pixelColor(45, 25), QColor(Qt::blue));
    EXPECT_EQ(stretched.pixelColor(45, 5), QColor(Qt::red));
    EXPECT_EQ(stretched.pixelColor(45, 25), QColor(Qt::blue));
    const QImage other =
        VTImageResize::tiledImageWithSrcImageDestSizeType(twoBands(), QSizeF(50, 30), "Fill");
    EXPECT_EQ(other.pixelColor(25, 15).alpha(), 0);
    EXPECT_TRUE(
        VTImageResize::tiledImageWithSrcPathDestSizeType("/nonexistent.png", {50, 30}, "Tile")
            .isNull());
}

TEST(VTImageResize, PrettyGradientFollowsItsFormula) {
    const QImage gradient = VTImageResize::prettyGradientImage(QSize(256, 256));
    keep(gradient, QStringLiteral("pretty-gradient.png"));
    // Top-left: red √(0² + 170²) = 170, green 0, blue √(170² + 170²) = 240.4.
    EXPECT_EQ(gradient.pixelColor(0, 0), QColor(170, 0, 240));
    // Bottom-right: red √(170² + 0) = 170, green √(2 x 170²) = 240.4, blue 0.
    EXPECT_EQ(gradient.pixelColor(255, 255), QColor(170, 240, 0));
    EXPECT_TRUE(VTImageResize::prettyGradientImage(QSize(0, 5)).isNull());
}

TEST(VTImageResize, SavingAndEncodingByType) {
    const QString folder = TestEnvironment::makeTempFolder(QStringLiteral("save"));
    struct Case {
        const char* name;
        int type;
        bool written;
    } cases[] = {{"png", VTBitmapImageFileTypePNG, true},
                 {"jpeg", VTBitmapImageFileTypeJPEG, true},
                 {"bmp", VTBitmapImageFileTypeBMP, true},
                 {"gif has no writer", VTBitmapImageFileTypeGIF, false},
                 {"jpeg2000 has no writer", VTBitmapImageFileTypeJPEG2000, false},
                 {"unknown type", 42, false}};
    for (const Case& c : cases) {
        const QString path = folder + QStringLiteral("/out ") + QLatin1String(c.name);
        EXPECT_EQ(VTImageResize::saveImageSaveTypePropertiesToTarget(twoBands(), c.type, {}, path),
                  c.written)
            << c.name;
        EXPECT_EQ(QFile::exists(path), c.written) << c.name;
        if (c.written) {
            EXPECT_EQ(QImage(path).size(), QSize(20, 20)) << c.name;
        }
    }
    EXPECT_FALSE(VTImageResize::saveImageSaveTypePropertiesToTarget(
        twoBands(), VTBitmapImageFileTypePNG, {},
        folder + QStringLiteral("/out png/under a file")));

    struct Word {
        QString type;
        QByteArray format; // empty: no data
    } words[] = {{QStringLiteral("PNG"), "png"},  {QStringLiteral("png"), "png"},
                 {QStringLiteral("JPG"), "jpeg"}, {QStringLiteral("TIFF"), "tiff"},
                 {QStringLiteral("Png"), {}},     {QStringLiteral("JPEG2000"), {}},
                 {QStringLiteral("gif"), {}}};
    for (const Word& w : words) {
        const QByteArray data = VTImageResize::imageDataRepresentationOfType(twoBands(), w.type);
        EXPECT_EQ(data.isEmpty(), w.format.isEmpty()) << w.type.toStdString();
        if (!data.isEmpty()) {
            EXPECT_EQ(QImage::fromData(data).size(), QSize(20, 20)) << w.type.toStdString();
        }
    }
}

TEST(VTImageResize, ThumbnailsAndLetterboxing) {
    const QString folder = TestEnvironment::makeTempFolder(QStringLiteral("thumb"));
    const QString path = folder + QStringLiteral("/-odd 'name' ü.png");
    ASSERT_TRUE(twoBands(40, 20).save(path, "PNG"));
    EXPECT_EQ(VTImageResize::thumbnailForFileAtPath(path).size(), QSize(40, 20));
    EXPECT_TRUE(
        VTImageResize::thumbnailForFileAtPath(folder + QStringLiteral("/missing.png")).isNull());

    const QImage filled = VTImageResize::resizeImageUseFillColorWithSrcPathDestSizeFileColor(
        path, QSizeF(40, 40), Qt::green);
    EXPECT_EQ(filled.pixelColor(20, 2), QColor(Qt::green)) << "letterbox above";
    EXPECT_EQ(filled.pixelColor(20, 12), QColor(Qt::red));
    EXPECT_EQ(filled.pixelColor(20, 27), QColor(Qt::blue));

    const QImage canvas =
        VTImageResize::createScalesImageFlipFlagAmountReflected(twoBands(), false, 1.0f);
    keep(canvas, QStringLiteral("scales-canvas.png"));
    ASSERT_EQ(canvas.size(), QSize(800, 600));
    EXPECT_EQ(canvas.pixelColor(400, 295), QColor(Qt::red)) << "centred";
    EXPECT_EQ(canvas.pixelColor(10, 10), QColor(Qt::white)) << "the white area is the letterbox";
    const QImage lowHalf =
        VTImageResize::createScalesImageFlipFlagAmountReflected(twoBands(), false, 0.5f);
    EXPECT_EQ(lowHalf.pixelColor(10, 10).alpha(), 0) << "white only in the lower 400 rows";
    EXPECT_EQ(lowHalf.pixelColor(10, 590), QColor(Qt::white));
    EXPECT_EQ(VTImageResize::createScalesImageFlipFlagAmountReflected(twoBands(), true, 1.0f)
                  .pixelColor(400, 295),
              QColor(Qt::blue))
        << "flipped";
    EXPECT_EQ(
        VTImageResize::createScalesImageFlipFlagAmountReflected(twoBands(900, 700), false, 1.0f)
            .size(),
        QSize(800, 600));
}
