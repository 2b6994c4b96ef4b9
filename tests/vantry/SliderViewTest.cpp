#include "windows/MIHSliderTransition.h"
#include "windows/MIHSliderView.h"
#include "windows/VTPageControl.h"
#include "windows/VTPageControlDelegate.h"

#include "DevicePixels.h"
#include "TestEnvironment.h"

#include <QLabel>
#include <QPainter>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {
class RecordingPageDelegate : public VTPageControlDelegate {
public:
    QList<qint64> selected;
    void pageControlDidSelectPageAtIndex(VTPageControl*, qint64 index) override {
        selected << index;
    }
};

// A slider with count labelled slides, shown, changing slides at once.
std::unique_ptr<MIHSliderView> sliderWithSlides(int count) {
    auto slider = std::make_unique<MIHSliderView>();
    slider->resize(300, 200);
    slider->setTransitionAnimationDuration(0.0);
    for (int i = 0; i < count; ++i)
        slider->addSlide(new QLabel(QStringLiteral("Slide %1").arg(i + 1)));
    slider->show();
    return slider;
}

void swipe(MIHSliderView& slider, double dx) {
    slider.scrollWheel(Qt::ScrollBegin, {});
    slider.scrollWheel(Qt::ScrollUpdate, QPointF(dx / 2, 3));
    slider.scrollWheel(Qt::ScrollUpdate, QPointF(dx / 2, 3));
    slider.scrollWheel(Qt::ScrollEnd, {});
}
} // namespace

TEST(MIHSliderView, StartsWithTimerAndTwoDotsAndNoSlides) {
    MIHSliderView slider;
    EXPECT_TRUE(slider.scheduledTransition());
    ASSERT_NE(slider.transitionTimer(), nullptr);
    EXPECT_EQ(slider.transitionTimer()->interval(), 4000);
    EXPECT_EQ(slider.dotsControl()->numberOfPages(), 2);
    EXPECT_EQ(slider.dotsControl()->indicatorDiameterSize(), 15.0);
    slider.handleTimerTick();
    EXPECT_EQ(slider.displayedSlide(), nullptr) << "a tick without slides does nothing";
    slider.setScheduledTransition(false);
    EXPECT_EQ(slider.transitionTimer(), nullptr);
}

TEST(MIHSliderView, FirstSlideShowsAtOnceOthersWaitForTheTimer) {
    auto slider = sliderWithSlides(1);
    QWidget* first = slider->slides().at(0);
    EXPECT_EQ(slider->displayedSlide(), first);
    EXPECT_TRUE(first->isVisible());
    slider->addSlide(new QLabel(QStringLiteral("second")));
    EXPECT_EQ(slider->displayedSlide(), first);
    EXPECT_EQ(slider->dotsControl()->numberOfPages(), 2);
    slider->handleTimerTick();
    EXPECT_EQ(slider->indexOfDisplayedSlide(), 1);
    EXPECT_FALSE(first->isVisible());
    slider->displaySlideAtIndex(7);
    EXPECT_EQ(slider->indexOfDisplayedSlide(), 1) << "out of range: ignored";
}

TEST(MIHSliderView, TimerStopsOnTheLastSlideUnlessRepeating) {
    for (const bool repeating : {false, true}) {
        auto slider = sliderWithSlides(3);
        slider->setRepeatingScheduledTransition(repeating);
        for (int tick = 0; tick < 3; ++tick)
            slider->handleTimerTick();
        EXPECT_EQ(slider->indexOfDisplayedSlide(), repeating ? 0 : 2) << repeating;
        EXPECT_TRUE(slider->scheduledTransition()) << "the timer keeps running";
    }
}

TEST(MIHSliderView, TimerAdvancesByItselfAtTheInterval) {
    auto slider = sliderWithSlides(3);
    slider->setScheduledTransitionInterval(0.02);
    EXPECT_EQ(slider->transitionTimer()->interval(), 20);
    slider->setScheduledTransitionInterval(-1.0);
    EXPECT_EQ(slider->scheduledTransitionInterval(), 0.02) << "non-positive intervals ignored";
    EXPECT_TRUE(QTest::qWaitFor([&] { return slider->indexOfDisplayedSlide() == 2; }, 2000));
}

TEST(MIHSliderView, SwipesPastFiftyChangeSlides) {
    struct Case {
        const char* name;
        int startIndex;
        double dx;
        int endIndex;
        int style;
    } cases[] = {
        {"small swipe", 0, 30, 0, MIHSliderTransitionFade},
        {"exactly fifty", 0, 50, 0, MIHSliderTransitionFade},
        {"right on the first goes round to the last", 0, 60, 2, MIHSliderTransitionPushFromLeft},
        {"left on the last goes round to the first", 2, -60, 0, MIHSliderTransitionPushFromRight},
        {"left in the middle", 1, -80, 2, MIHSliderTransitionPushFromRight},
    };
    for (const Case& c : cases) {
        auto slider = sliderWithSlides(3);
        slider->displaySlideAtIndex(c.startIndex);
        swipe(*slider, c.dx);
        EXPECT_EQ(slider->indexOfDisplayedSlide(), c.endIndex) << c.name;
        EXPECT_EQ(slider->transitionStyle(), c.style) << c.name;
        EXPECT_EQ(slider->dotsControl()->currentPage(), c.endIndex) << c.name;
    }
    auto slider = sliderWithSlides(3);
    swipe(*slider, 40);
    slider->scrollWheel(Qt::ScrollUpdate, QPointF(40, 0));
    slider->scrollWheel(Qt::ScrollMomentum, QPointF(400, 0));
    EXPECT_EQ(slider->scrollDeltaX(), 80) << "sums carry until the next gesture; momentum ignored";
    slider->scrollWheel(Qt::ScrollEnd, {});
    EXPECT_EQ(slider->indexOfDisplayedSlide(), 2);
    auto empty = sliderWithSlides(0);
    swipe(*empty, 100);
    EXPECT_EQ(empty->displayedSlide(), nullptr);
}

TEST(MIHSliderView, DotClicksPickTheDirection) {
    auto slider = sliderWithSlides(3);
    VTPageControl* dots = slider->dotsControl();
    QTest::mouseClick(dots->cells().at(2), Qt::LeftButton);
    EXPECT_EQ(slider->indexOfDisplayedSlide(), 2);
    EXPECT_EQ(slider->transitionStyle(), MIHSliderTransitionPushFromRight);
    QTest::mouseClick(dots->cells().at(0), Qt::LeftButton);
    EXPECT_EQ(slider->indexOfDisplayedSlide(), 0);
    EXPECT_EQ(slider->transitionStyle(), MIHSliderTransitionPushFromLeft);
    slider->pageControlDidSelectPageAtIndex(dots, -1);
    slider->pageControlDidSelectPageAtIndex(dots, 3);
    EXPECT_EQ(slider->indexOfDisplayedSlide(), 0) << "indexes outside the slides are ignored";
}

TEST(MIHSliderView, TransitionRunsOverTheContentAndEnds) {
    auto slider = sliderWithSlides(2);
    slider->setTransitionAnimationDuration(0.05);
    slider->setTransitionStyle(MIHSliderTransitionPushFromRight);
    slider->displaySlideAtIndex(1);
    QPointer<MIHSliderTransition> transition = slider->currentTransition();
    ASSERT_FALSE(transition.isNull());
    EXPECT_EQ(transition->style(), MIHSliderTransitionPushFromRight);
    EXPECT_EQ(transition->geometry(), slider->contentView()->rect());
    EXPECT_TRUE(QTest::qWaitFor([&] { return transition.isNull(); }, 2000));
}

TEST(MIHSliderView, ArchiveKeepsSettingsSlidesAndDots) {
    auto slider = sliderWithSlides(3);
    slider->displaySlideAtIndex(1);
    slider->setTransitionStyle(MIHSliderTransitionMoveInFromTop);
    slider->setScheduledTransitionInterval(2.5);
    slider->setTransitionAnimationDuration(0.25);
    slider->setRepeatingScheduledTransition(false);
    slider->setScheduledTransition(false);
    slider->dotsControl()->setSelectedColor(Qt::red);
    const QVariantMap archive = slider->encodeWithCoder();
    EXPECT_EQ(
        QStringList(archive.keys()),
        QStringList({"_dotsControl", "_repeatingScheduledTransition",
                     "_scheduledTransitionInterval", "_slides", "_transitionAnimationDuration",
                     "_transitionStyle", "indexOfDisplayedSlide", "scheduledTransition"}));

    MIHSliderView copy(archive);
    EXPECT_EQ(copy.slides().size(), 3);
    EXPECT_TRUE(slider->slides().isEmpty()) << "the new slider took the slides over";
    EXPECT_EQ(copy.indexOfDisplayedSlide(), 1);
    EXPECT_EQ(copy.transitionStyle(), MIHSliderTransitionMoveInFromTop);
    EXPECT_EQ(copy.scheduledTransitionInterval(), 2.5);
    EXPECT_EQ(copy.transitionAnimationDuration(), 0.25);
    EXPECT_FALSE(copy.repeatingScheduledTransition());
    EXPECT_FALSE(copy.scheduledTransition());
    EXPECT_EQ(copy.dotsControl()->numberOfPages(), 3);
    EXPECT_EQ(copy.dotsControl()->currentPage(), 1);
    EXPECT_EQ(copy.dotsControl()->selectedColor(), QColor(Qt::red));
}

TEST(MIHSliderView, DotsSitFortyAboveTheBottomAndRender) {
    auto slider = sliderWithSlides(3);
    const QRect dots = slider->dotsControl()->geometry();
    EXPECT_EQ(dots.size(), QSize(55, 15));
    EXPECT_EQ(dots.x(), (300 - 55) / 2);
    EXPECT_EQ(dots.bottom() + 1, 200 - 40);
    slider->resize(400, 300);
    EXPECT_EQ(slider->dotsControl()->geometry().bottom() + 1, 300 - 40);
    EXPECT_EQ(slider->displayedSlide()->size(), QSize(400, 300));
    const QImage picture = slider->grab().toImage();
    picture.save(TestEnvironment::renderFolder() + QStringLiteral("/slider.png"));
    const QPoint firstDot = slider->dotsControl()->geometry().topLeft() + QPoint(7, 7);
    EXPECT_EQ(pixelAt(picture, firstDot), QColor(115, 115, 115)) << "the current page's dot";
    EXPECT_EQ(pixelAt(picture, firstDot + QPoint(20, 0)), QColor(217, 217, 217));
}

TEST(VTPageControl, GeometryCentresTheDots) {
    VTPageControl control;
    control.resize(101, 31);
    control.setNumberOfPages(3);
    EXPECT_EQ(control.intrinsicContentSize(), QSizeF(40, 10));
    EXPECT_EQ(control.fittingSize(), QSizeF(40, 10));
    EXPECT_EQ(control.sizeForNumberOfPages(0), QSizeF(0, 0));
    ASSERT_NE(control.matrix(), nullptr);
    EXPECT_EQ(control.matrix()->geometry(), QRect(30, 10, 40, 10));
    const QList<VTPageControlCell*> cells = control.cells();
    ASSERT_EQ(cells.size(), 3);
    EXPECT_EQ(cells.at(2)->geometry(), QRect(30, 0, 10, 10));
    EXPECT_TRUE(cells.at(0)->isChecked());

    control.setNumberOfPages(1);
    EXPECT_NE(control.matrix(), nullptr) << "one page is shown unless asked";
    control.setHidesForSinglePage(true);
    control.updateCurrentPageDisplay();
    EXPECT_EQ(control.matrix(), nullptr);
}

TEST(VTPageControl, DefaultDotsUseTheThreeColoursAndABlockReplacesThem) {
    VTPageControl control;
    control.resize(40, 10);
    control.setNumberOfPages(3);
    control.setCurrentPage(1);
    control.show();
    control.cells().at(2)->setDown(true);
    QImage dots = control.grab().toImage();
    dots.save(TestEnvironment::renderFolder() + QStringLiteral("/page-control.png"));
    EXPECT_EQ(pixelAt(dots, 5, 5), QColor(Qt::lightGray));
    EXPECT_EQ(pixelAt(dots, 20, 5), QColor(Qt::darkGray));
    EXPECT_EQ(pixelAt(dots, 35, 5), QColor(Qt::gray)) << "pressed";

    int calls = 0;
    control.setDrawingBlock([&](QPainter& painter, const QRectF& frame, QWidget*, bool on, bool) {
        ++calls;
        painter.fillRect(frame, on ? Qt::green : Qt::black);
    });
    dots = control.grab().toImage();
    EXPECT_EQ(calls, 3);
    EXPECT_EQ(pixelAt(dots, 20, 5), QColor(Qt::green));
    EXPECT_EQ(pixelAt(dots, 5, 5), QColor(Qt::black));
}

TEST(VTPageControl, ClicksSelectThePageAndTellTheDelegate) {
    VTPageControl control;
    RecordingPageDelegate delegate;
    control.setDelegate(&delegate);
    control.resize(60, 20);
    control.setNumberOfPages(3);
    control.setUseHandCursor(true);
    control.show();
    EXPECT_EQ(control.cells().at(1)->cursor().shape(), Qt::PointingHandCursor);
    QTest::mouseClick(control.cells().at(1), Qt::LeftButton);
    QTest::mouseClick(control.cells().at(2), Qt::LeftButton);
    EXPECT_EQ(delegate.selected, QList<qint64>({1, 2}));
    EXPECT_EQ(control.currentPage(), 2);
    EXPECT_TRUE(control.cells().at(2)->isChecked());
}

TEST(MIHSliderView, DeletedSlidesLeaveTheList) {
    auto slider = sliderWithSlides(3);
    slider->displaySlideAtIndex(2);
    delete slider->slides().at(2);
    EXPECT_EQ(slider->slides().size(), 2);
    EXPECT_EQ(slider->dotsControl()->numberOfPages(), 2);
    EXPECT_EQ(slider->indexOfDisplayedSlide(), 0);
    EXPECT_EQ(slider->displayedSlide(), nullptr);
    slider->handleTimerTick();
    EXPECT_EQ(slider->indexOfDisplayedSlide(), 1) << "the slider carries on with the rest";
}

TEST(MIHSliderView, ATransitionFollowsTheSlidersSize) {
    MIHSliderView slider;
    slider.resize(300, 200);
    for (const QColor colour : {QColor(Qt::red), QColor(Qt::blue)}) {
        auto* slide = new QLabel;
        slide->setAutoFillBackground(true);
        slide->setPalette(QPalette(colour, colour));
        slider.addSlide(slide);
    }
    slider.show();
    slider.setTransitionAnimationDuration(30.0);
    slider.setTransitionStyle(MIHSliderTransitionFade);
    slider.displaySlideAtIndex(1);
    ASSERT_NE(slider.currentTransition(), nullptr);
    slider.resize(400, 250);
    EXPECT_EQ(slider.currentTransition()->geometry(), slider.contentView()->rect());
    const QImage picture = slider.grab().toImage();
    picture.save(TestEnvironment::renderFolder() +
                 QStringLiteral("/slider-resized-transition.png"));
    const QColor corner = picture.pixelColor(QPoint(390, 240) * picture.devicePixelRatio());
    EXPECT_GT(corner.red(), 200) << "the fading-out slide covers the grown slider";
    EXPECT_LT(corner.blue(), 60);
    slider.setScheduledTransition(false);
}
