#include "controls/VTButtonImages.h"
#include "controls/VTPopupButtonCell.h"

#include "TestEnvironment.h"

#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>

namespace {
constexpr QSize kCell(160, 24);

QImage drawn(const VTGradientButtonCell& cell) {
    QImage image(kCell, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    cell.drawWithFrameInView(painter, QRectF(QPointF(0, 0), kCell), nullptr, {});
    painter.end();
    return image;
}

double luminance(const QColor& colour) {
    auto linear = [](double c) {
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) +
           0.0722 * linear(colour.blueF());
}

// The contrast between the ink of marked (where it differs from plain) and the nearest
// luminance of the plain picture under the ink's bounds, over the columns left to right.
double worstContrast(const QImage& marked, const QImage& plain, int left, int right) {
    QRect ink;
    double inkMin = 1, inkMax = 0, underMin = 1, underMax = 0;
    for (int y = 0; y < kCell.height(); ++y)
        for (int x = left; x < right; ++x)
            if (marked.pixel(x, y) != plain.pixel(x, y)) {
                ink |= QRect(x, y, 1, 1);
                inkMin = std::min(inkMin, luminance(marked.pixelColor(x, y)));
                inkMax = std::max(inkMax, luminance(marked.pixelColor(x, y)));
            }
    for (int y = ink.top(); y <= ink.bottom(); ++y)
        for (int x = ink.left(); x <= ink.right(); ++x) {
            underMin = std::min(underMin, luminance(plain.pixelColor(x, y)));
            underMax = std::max(underMax, luminance(plain.pixelColor(x, y)));
        }
    return inkMax > underMax ? (inkMax + 0.05) / (underMax + 0.05)
                             : (underMin + 0.05) / (inkMin + 0.05);
}
} // namespace

TEST(VTPopupButtonCellContrast, TitleAndArrowStayReadableInBothLooks) {
    VTGradientButtonCell settingsBase;
    QList<QImage> slices;
    for (const char* part : {"left", "center", "right"})
        slices << VTButtonImages::imageNamed(QStringLiteral("settings-base_") + part);
    settingsBase.setAryGradientNorImgs(slices);
    for (const bool keepHighlight : {false, true}) {
        VTPopupButtonCell cell;
        cell.setIsKeepHighlight(keepHighlight);
        cell.setShowArrowDown(false);
        const QImage plain = drawn(cell);
        cell.setShowArrowDown(true);
        cell.setTitle(QStringLiteral("MP3 Audio"));
        const QImage marked = drawn(cell);
        marked.save(TestEnvironment::renderFolder() +
                    QStringLiteral("/popup-contrast-%1.png").arg(keepHighlight ? "on" : "off"));
        EXPECT_GE(worstContrast(marked, plain, 0, 140), 4.5) << "title, kept " << keepHighlight;
        EXPECT_GE(worstContrast(marked, plain, 140, 160), 4.5) << "arrow, kept " << keepHighlight;
        if (!keepHighlight) {
            EXPECT_EQ(plain, drawn(settingsBase)) << "the normal look keeps its slices";
        }
    }
}
