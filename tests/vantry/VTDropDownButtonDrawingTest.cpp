#include "controls/VTDropDownButton.h"

#include "TestEnvironment.h"

#include <QMenu>
#include <QPainter>
#include <QTest>

#include <gtest/gtest.h>

namespace {
// A 121 by 23 button: main area x 0.25 to 100.25, arrow area x 100.5 to 121.5.
constexpr QPoint kMain(50, 11);
constexpr QPoint kArrow(110, 11);

// The grey of a grab at a point given in the widget's own coordinates.
int greyAt(QWidget& widget, QPoint point) {
    const QImage image = widget.grab().toImage();
    return image.pixelColor(point * image.devicePixelRatio()).red();
}

QImage drawnStep(const VTDropDownButton& button, const QColor& background,
                 const std::function<void(QPainter&)>& step, int number) {
    QImage image(button.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(background);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    step(painter);
    painter.end();
    image.scaled(image.size() * 4)
        .save(TestEnvironment::renderFolder() +
              QStringLiteral("/dropdown-step-%1.png").arg(number));
    return image;
}
} // namespace

TEST(VTDropDownButtonDrawing, AnInterruptedPressEndsWithoutFiringAndRedraws) {
    enum Interruption { Disable, Hide, GrabLost };
    struct Case {
        const char* name;
        QPoint press;
        Interruption interruption;
    } cases[] = {
        {"arrow area, disabled then released", kArrow, Disable},
        {"main area, disabled then released", kMain, Disable},
        {"arrow area, hidden", kArrow, Hide},
        {"main area, grab lost", kMain, GrabLost},
    };
    for (const Case& c : cases) {
        QWidget window;
        auto* button = new VTDropDownButton(&window);
        button->resize(121, 23);
        int fired = 0;
        button->setButtonTitleAndClickBlock({}, [&fired](VTDropDownButton*) { ++fired; });
        button->setupMenuAndBlock({QStringLiteral("MP3")},
                                  [&fired](VTDropDownButton*, int) { ++fired; });
        window.show();
        QTest::mousePress(button, Qt::LeftButton, {}, c.press);
        ASSERT_EQ(greyAt(*button, c.press + QPoint(0, -7)), 210) << c.name << ": drawn pressed";
        if (c.interruption == Disable) {
            button->setEnabled(false);
            QTest::mouseRelease(button, Qt::LeftButton, {}, c.press);
            button->setEnabled(true);
        } else if (c.interruption == Hide) {
            button->hide();
            button->show();
        } else {
            QEvent ungrab(QEvent::UngrabMouse);
            QCoreApplication::sendEvent(button, &ungrab);
        }
        EXPECT_FALSE(button->isSwatchSelected()) << c.name;
        EXPECT_FALSE(button->isButtonSelected()) << c.name;
        EXPECT_EQ(greyAt(*button, c.press + QPoint(0, -7)), 255) << c.name << ": drawn released";
        QTest::mouseRelease(button, Qt::LeftButton, {}, c.press);
        EXPECT_EQ(fired, 0) << c.name << ": a release after the press ended fires nothing";
        EXPECT_FALSE(button->droupDownMenu()->isVisible()) << c.name;
    }
}

TEST(VTDropDownButtonDrawing, EachSpareStepDrawsWhereItsFrameSays) {
    VTDropDownButton button;
    button.resize(121, 23);
    const QColor highlight = button.palette().color(QPalette::Active, QPalette::Highlight);
    EXPECT_EQ(button._mouseOverIndicatorFrame(), QRectF(83.25, 4, 13, 13));
    // The indicator square lies at x 83.25 to 96.25 and y 6 to 19 from the top.
    struct Case {
        const char* name;
        QColor background;
        std::function<void(QPainter&)> step;
        QPoint inked, clear;
        QColor ink;
        int tolerance;
    } cases[] = {
        {"separator line at the main area's right edge",
         Qt::white,
         [&](QPainter& p) { button._drawSeparatorLine(p); },
         {100, 11},
         {98, 11},
         QColor(191, 191, 191),
         40},
        {"mouse-over indicator: a translucent grey oval",
         Qt::white,
         [&](QPainter& p) { button._drawMouseOverIndicator(p); },
         {89, 12},
         {84, 7},
         QColor(194, 194, 194),
         3},
        {"its chevron: white, pointing down",
         Qt::black,
         [&](QPainter& p) { button._drawMouseOverIndicatorChevron(p); },
         {88, 12},
         {89, 10},
         Qt::white,
         150},
        {"focus ring: highlight at the bottom, the inset cut out",
         Qt::white,
         [&](QPainter& p) { button._drawInternalFocusRingIndicator(p); },
         {50, 21},
         {50, 11},
         highlight,
         20},
        {"lower triangle: below the diagonal to the top right corner",
         Qt::white,
         [&](QPainter& p) { p.fillPath(button._controlColorSwatchLowerTrianglePath(), Qt::red); },
         {95, 18},
         {10, 3},
         Qt::red,
         0},
    };
    int number = 0;
    for (const Case& c : cases) {
        const QImage image = drawnStep(button, c.background, c.step, ++number);
        const QColor inked = image.pixelColor(c.inked);
        EXPECT_LE(std::abs(inked.red() - c.ink.red()), c.tolerance) << c.name;
        EXPECT_LE(std::abs(inked.blue() - c.ink.blue()), c.tolerance) << c.name;
        EXPECT_EQ(image.pixelColor(c.clear), c.background) << c.name;
    }
    const QImage ring = drawnStep(button, Qt::white, cases[3].step, 4);
    EXPECT_GT(ring.pixelColor(50, 1).lightness(), ring.pixelColor(50, 21).lightness())
        << "the ring pales toward the top";
}

TEST(VTDropDownButtonDrawing, TrackingAreasFollowTheFrameAndChangeNoPicture) {
    for (const QSize size : {QSize(121, 23), QSize(200, 40)}) {
        VTDropDownButton button;
        button.resize(size);
        button.show();
        const double swatchWidth = size.width() - 21.0;
        EXPECT_EQ(button.colorSwatchTrackingArea().rect,
                  QRectF(0.25, -0.25, swatchWidth, size.height()));
        EXPECT_EQ(button.buttonTrackingArea().rect,
                  QRectF(swatchWidth + 0.5, 0, 21, size.height()));
        EXPECT_TRUE(button.buttonTrackingArea().mouseEnteredAndExited);
        EXPECT_TRUE(button.buttonTrackingArea().activeInKeyWindow);
        const QImage before = button.grab().toImage();
        for (const QEvent::Type type : {QEvent::Enter, QEvent::Leave}) {
            QEvent crossing(type);
            QCoreApplication::sendEvent(&button, &crossing);
            EXPECT_EQ(button.grab().toImage(), before) << size.width();
        }
    }
}
