#include "controls/VTDropDownButton.h"

#include "DevicePixels.h"
#include "TestEnvironment.h"

#include <QGuiApplication>
#include <QHelpEvent>
#include <QMenu>
#include <QScreen>
#include <QTest>
#include <QToolTip>

#include <gtest/gtest.h>

namespace {
// A 121 by 23 button: main area x 0.25 to 100.25, arrow area x 100.5 to 121.5.
constexpr QPoint kMain(50, 11);
constexpr QPoint kArrow(110, 11);
constexpr QPoint kOutside(50, 60);

struct Recorder {
    int clicks = 0;
    QList<int> chosen;
};

void wire(VTDropDownButton& button, Recorder& recorder) {
    button.setButtonTitleAndClickBlock(QStringLiteral("Convert"),
                                       [&recorder](VTDropDownButton*) { ++recorder.clicks; });
    button.setupMenuAndBlock(
        {QStringLiteral("MP3"), QStringLiteral("AAC")},
        [&recorder](VTDropDownButton*, int index) { recorder.chosen << index; });
}

int grey(const QImage& image, QPoint point) {
    return pixelAt(image, point).red();
}

void saveRender(const QImage& image, const QString& name) {
    image.scaled(image.size() * 4).save(TestEnvironment::renderFolder() + QLatin1Char('/') + name);
}
} // namespace

TEST(VTDropDownButton, AreasSplitTheWidthAndTheSizeHintIsFixed) {
    VTDropDownButton button;
    const bool doubleDensity = QGuiApplication::primaryScreen()->devicePixelRatio() == 2.0;
    EXPECT_EQ(button.sizeHint(), doubleDensity ? QSize(66, 22) : QSize(67, 23));
    EXPECT_TRUE(button.enableDropDown());
    button.resize(121, 23);
    EXPECT_EQ(button._controlColorSwatchFrame(), QRectF(0.25, 0.25, 100, 23));
    EXPECT_EQ(button._controlButtonFrame(), QRectF(100.5, 0, 21, 23));
}

TEST(VTDropDownButton, ReleaseFiresOnlyInTheAreaWhereThePressBegan) {
    struct Case {
        const char* name;
        bool dropDown;
        QPoint press, release;
        int clicks;
        bool menuShown;
    } cases[] = {
        {"main area click", true, kMain, kMain, 1, false},
        {"arrow area click", true, kArrow, kArrow, 0, true},
        {"main press, release outside", true, kMain, kOutside, 0, false},
        {"main press, release on the arrow", true, kMain, kArrow, 0, false},
        {"arrow press, release on the main area", true, kArrow, kMain, 0, false},
        {"drop-down off: arrow click", false, kArrow, kArrow, 0, false},
    };
    for (const Case& c : cases) {
        VTDropDownButton button;
        button.resize(121, 23);
        Recorder recorder;
        wire(button, recorder);
        button.setEnableDropDown(c.dropDown);
        QTest::mousePress(&button, Qt::LeftButton, {}, c.press);
        EXPECT_TRUE(button.isSwatchSelected() || button.isButtonSelected()) << c.name;
        QTest::mouseRelease(&button, Qt::LeftButton, {}, c.release);
        EXPECT_EQ(recorder.clicks, c.clicks) << c.name;
        EXPECT_EQ(button.droupDownMenu()->isVisible(), c.menuShown) << c.name;
        EXPECT_FALSE(button.isSwatchSelected()) << c.name;
        EXPECT_FALSE(button.isButtonSelected()) << c.name;
        EXPECT_TRUE(recorder.chosen.isEmpty()) << c.name;
        button.droupDownMenu()->hide();
    }
}

// A block that deletes the button and then reads what it captured, as a window's block would.
TEST(VTDropDownButton, ABlockMayDeleteTheButton) {
    for (const bool byMenu : {false, true}) {
        auto button = std::make_unique<VTDropDownButton>();
        int calls = 0;
        const auto drop = [&button, &calls](VTDropDownButton*, int = 0) {
            button.reset();
            ++calls;
        };
        button->setButtonTitleAndClickBlock({}, drop);
        button->setupMenuAndBlock({QStringLiteral("MP3")}, drop);
        if (byMenu)
            button->droupDownMenu()->actions().constFirst()->trigger();
        else
            QTest::mouseClick(button.get(), Qt::LeftButton, {}, QPoint(20, 11));
        EXPECT_EQ(calls, 1) << (byMenu ? "menu block" : "click block");
    }
}

TEST(VTDropDownButton, MenuItemsAreTaggedFromZeroAndReportTheirTag) {
    VTDropDownButton button;
    Recorder first;
    wire(button, first);
    QList<int> chosen;
    button.setupMenuAndBlock(
        {QStringLiteral("FLAC"), QStringLiteral("Ogg"), QStringLiteral("WAV 'quoted' é")},
        [&chosen](VTDropDownButton*, int index) { chosen << index; });
    const QList<QAction*> items = button.droupDownMenu()->actions();
    ASSERT_EQ(items.size(), 3);
    EXPECT_EQ(items[2]->text(), QStringLiteral("WAV 'quoted' é"));
    for (int i = 0; i < items.size(); ++i)
        EXPECT_EQ(items[i]->data().toInt(), i);

    items[2]->trigger();
    items[0]->trigger();
    button.setEnabled(false);
    items[1]->trigger();
    EXPECT_EQ(chosen, QList<int>({2, 0})) << "a disabled button calls no block";
    EXPECT_TRUE(first.chosen.isEmpty());
}

TEST(VTDropDownButton, EachAreaHasItsOwnToolTip) {
    VTDropDownButton button;
    button.resize(121, 23);
    button.setupButtonToolTipsAndArrowToolTips(QStringLiteral("Start"), QStringLiteral("Formats"));
    EXPECT_EQ(button.viewStringForToolTipPointUserData(&button, kMain, kDFColorSwatchTooltipArea),
              QStringLiteral("Start"));
    EXPECT_EQ(button.viewStringForToolTipPointUserData(&button, kMain, kDFButtonTooltipArea),
              QStringLiteral("Formats"));
    EXPECT_TRUE(button.viewStringForToolTipPointUserData(&button, kMain, &button).isNull());

    button.show();
    for (auto [point, tips] : {std::pair{kMain, "Start"}, std::pair{kArrow, "Formats"}}) {
        QHelpEvent help(QEvent::ToolTip, point, button.mapToGlobal(point));
        QCoreApplication::sendEvent(&button, &help);
        EXPECT_EQ(QToolTip::text(), QString::fromUtf8(tips));
        QToolTip::hideText();
    }
}

TEST(VTDropDownButton, RendersPressedAndDisabledAreasGrey) {
    VTDropDownButton button;
    button.resize(121, 23);
    button.setTitle(QStringLiteral("Convert"));
    const QPoint mainCorner(8, 4);
    const QPoint arrowCorner(116, 4);

    const QImage normal = button.grab().toImage();
    saveRender(normal, QStringLiteral("dropdown-normal.png"));
    EXPECT_EQ(grey(normal, mainCorner), 255);
    EXPECT_EQ(grey(normal, arrowCorner), 255);
    EXPECT_LT(grey(normal, QPoint(111, 12)), 150) << "the chevron";
    int dark = 0;
    for (int x = 20; x < 80; ++x)
        dark += grey(normal, QPoint(x, 11)) < 128;
    EXPECT_GT(dark, 3) << "the title";

    QTest::mousePress(&button, Qt::LeftButton, {}, kMain);
    const QImage pressed = button.grab().toImage();
    saveRender(pressed, QStringLiteral("dropdown-pressed.png"));
    EXPECT_EQ(grey(pressed, mainCorner), 210);
    EXPECT_EQ(grey(pressed, arrowCorner), 255);
    QTest::mouseRelease(&button, Qt::LeftButton, {}, kOutside);
    EXPECT_EQ(grey(button.grab().toImage(), mainCorner), 255) << "pressed look cleared";

    button.setEnabled(false);
    const QImage disabled = button.grab().toImage();
    saveRender(disabled, QStringLiteral("dropdown-disabled.png"));
    EXPECT_EQ(grey(disabled, mainCorner), 210);
    EXPECT_EQ(grey(disabled, arrowCorner), 210);

    button.setEnabled(true);
    button.setEnableDropDown(false);
    button.setTitle(QString());
    const QImage single = button.grab().toImage();
    saveRender(single, QStringLiteral("dropdown-single.png"));
    for (int x = 4; x < 117; ++x)
        ASSERT_EQ(grey(single, QPoint(x, 11)), 255) << "one plain shape, no chevron, no title";
}
