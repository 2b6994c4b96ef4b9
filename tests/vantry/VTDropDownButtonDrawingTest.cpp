#include "controls/VTDropDownButton.h"

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

QImage drawnStep(const std::function<void(QPainter&)>& step) {
    QImage image(121, 23, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::black);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    step(painter);
    painter.end();
    return image;
}
} // namespace

TEST(VTDropDownButtonDrawing, AnInterruptedPressEndsWithoutFiringAndRedraws) {
    enum Interruption { Disable, Hide, GrabLost, Deactivate, PopUp };
    struct Case {
        const char* name;
        QPoint press;
        Interruption how;
        bool arrowSelectedByCode = false;
        bool mainSelectedByCode = false;
    } cases[] = {{"arrow area, disabled, released, enabled", kArrow, Disable},
                 {"main area, disabled, released, enabled", kMain, Disable},
                 {"arrow area, hidden and shown", kArrow, Hide},
                 {"main area, grab lost", kMain, GrabLost},
                 {"main area, dragged, a pop-up takes the mouse", kMain, PopUp},
                 {"arrow selected by code, main area disabled", kMain, Disable, true},
                 {"arrow selected by code, main area hidden and shown", kMain, Hide, true},
                 {"arrow selected by code, main area deactivated", kMain, Deactivate, true},
                 {"main selected by code, main area disabled", kMain, Disable, false, true},
                 {"main selected by code, main area grab lost", kMain, GrabLost, false, true},
                 {"arrow selected by code, arrow area disabled", kArrow, Disable, true}};
    for (const Case& c : cases) {
        QWidget window;
        auto* button = new VTDropDownButton(&window);
        button->resize(121, 23);
        int fired = 0;
        button->setButtonTitleAndClickBlock({}, [&fired](VTDropDownButton*) { ++fired; });
        button->setupMenuAndBlock({"MP3"}, [&fired](VTDropDownButton*, int) { ++fired; });
        button->setIsButtonSelected(c.arrowSelectedByCode);
        button->setIsSwatchSelected(c.mainSelectedByCode);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        QTest::mouseMove(button, c.press); // the pointer comes over the button
        QTest::mousePress(button, Qt::LeftButton, {}, c.press);
        ASSERT_EQ(greyAt(*button, c.press - QPoint(0, 7)), 210) << c.name << ": drawn pressed";
        QWidget other;
        QMenu popUp;
        if (c.how == Disable) {
            button->setEnabled(false);
            QTest::mouseRelease(button, Qt::LeftButton, {}, c.press);
            button->setEnabled(true);
        } else if (c.how == Hide) {
            button->hide();
            button->show();
        } else if (c.how == GrabLost) {
            QEvent ungrab(QEvent::UngrabMouse);
            QCoreApplication::sendEvent(button, &ungrab);
        } else if (c.how == Deactivate) {
            other.show();
            ASSERT_TRUE(QTest::qWaitForWindowActive(&other)) << c.name;
        } else {
            QTest::mouseMove(button, c.press + QPoint(3, 0));
            popUp.addAction(QStringLiteral("AAC"));
            popUp.popup(button->mapToGlobal(QPoint(0, 30)));
            // The release goes to the pop-up, which has the mouse.
            QTest::mouseRelease(window.windowHandle(), Qt::LeftButton, {}, c.press);
            popUp.close();
        }
        EXPECT_EQ(button->isSwatchSelected(), c.mainSelectedByCode) << c.name;
        EXPECT_EQ(button->isButtonSelected(), c.arrowSelectedByCode) << c.name;
        EXPECT_EQ(greyAt(*button, kMain - QPoint(0, 7)), c.mainSelectedByCode ? 210 : 255)
            << c.name;
        EXPECT_EQ(greyAt(*button, kArrow - QPoint(0, 7)), c.arrowSelectedByCode ? 210 : 255)
            << c.name;
        QTest::mouseRelease(button, Qt::LeftButton, {}, c.press);
        EXPECT_EQ(fired, 0) << c.name << ": a release after the press ended fires nothing";
        EXPECT_FALSE(button->droupDownMenu()->isVisible()) << c.name;
    }
}

TEST(VTDropDownButtonDrawing, EachSpareStepDrawsWhereItsFrameSays) {
    VTDropDownButton button;
    button.resize(121, 23);
    // The indicator square lies at x 83.25 to 96.25 and y 6 to 19 from the top.
    EXPECT_EQ(button._mouseOverIndicatorFrame(), QRectF(83.25, 4, 13, 13));
    const std::function<void(QPainter&)> steps[] = {
        [&](QPainter& p) { button._drawSeparatorLine(p); },
        [&](QPainter& p) { button._drawMouseOverIndicator(p); },
        [&](QPainter& p) { button._drawMouseOverIndicatorChevron(p); },
        [&](QPainter& p) { button._drawInternalFocusRingIndicator(p); },
        [&](QPainter& p) { p.fillPath(button._controlColorSwatchLowerTrianglePath(), Qt::red); }};
    const QColor highlight = button.palette().color(QPalette::Highlight);
    struct Case {
        const char* name;
        QPoint inked, clear;
        QColor ink;
        int tolerance;
    } cases[] = {{"separator, half a pixel at x 100", {100, 11}, {98, 11}, QColor(64, 64, 64), 20},
                 {"mouse-over indicator, grey at 0.4", {89, 12}, {84, 7}, QColor(41, 41, 41), 3},
                 {"its chevron, white, pointing down", {88, 12}, {89, 10}, Qt::white, 150},
                 {"focus ring, the highlight at its foot", {50, 21}, {50, 11}, highlight, 20},
                 {"lower triangle, up to the top right corner", {95, 18}, {10, 3}, Qt::red, 0}};
    for (int i = 0; i < 5; ++i) {
        const QImage image = drawnStep(steps[i]);
        const QColor inked = image.pixelColor(cases[i].inked);
        EXPECT_LE(std::abs(inked.red() - cases[i].ink.red()), cases[i].tolerance) << cases[i].name;
        EXPECT_LE(std::abs(inked.blue() - cases[i].ink.blue()), cases[i].tolerance)
            << cases[i].name;
        EXPECT_EQ(image.pixelColor(cases[i].clear), QColor(Qt::black)) << cases[i].name;
    }
    const QImage ring = drawnStep(steps[3]);
    EXPECT_GT(ring.pixelColor(50, 1).lightness(), ring.pixelColor(50, 21).lightness())
        << "the ring pales toward the top";
}

TEST(VTDropDownButtonDrawing, TrackingAreasFollowTheFrameAndChangeNoPicture) {
    for (const QSize size : {QSize(121, 23), QSize(200, 40)}) {
        VTDropDownButton button;
        button.resize(size);
        button.show();
        const double mainWidth = size.width() - 21.0;
        EXPECT_EQ(button.colorSwatchTrackingArea().rect,
                  QRectF(0.25, -0.25, mainWidth, size.height()));
        EXPECT_EQ(button.buttonTrackingArea().rect, QRectF(mainWidth + 0.5, 0, 21, size.height()));
        const QImage before = button.grab().toImage();
        for (const QEvent::Type type : {QEvent::Enter, QEvent::Leave}) {
            QEvent crossing(type);
            QCoreApplication::sendEvent(&button, &crossing);
            EXPECT_EQ(button.grab().toImage(), before) << size.width();
        }
    }
}
