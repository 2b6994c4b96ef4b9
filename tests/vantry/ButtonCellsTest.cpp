#include "controls/RHNinePartDrawing.h"
#include "controls/VT4StateButtonCell.h"
#include "controls/VTButton.h"
#include "controls/VTButtonUtiltiy.h"
#include "controls/VTColorExtensions.h"
#include "controls/VTCustomerColorButtonCell.h"
#include "controls/VTGradientButtonCell.h"
#include "controls/VTIconButtonCell.h"
#include "controls/VTPopupButtonCell.h"

#include "DevicePixels.h"
#include "TestEnvironment.h"

#include <QPainter>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {
QImage filled(int width, int height, const QColor& colour) {
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(colour);
    return image;
}

bool near(const QColor& actual, const QColor& expected, int tolerance = 6) {
    return std::abs(actual.red() - expected.red()) <= tolerance &&
           std::abs(actual.green() - expected.green()) <= tolerance &&
           std::abs(actual.blue() - expected.blue()) <= tolerance &&
           std::abs(actual.alpha() - expected.alpha()) <= tolerance;
}

// Pixels of image close to colour.
int countNear(const QImage& image, const QColor& colour, int tolerance = 40) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += near(image.pixelColor(x, y), colour, tolerance) ? 1 : 0;
    return count;
}

// A cell drawn alone on a transparent canvas of the given size.
QImage drawCell(const VTBaseButtonCell& cell, QSize size, const VTCellState& state = {}) {
    QImage canvas(size, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    QPainter painter(&canvas);
    cell.drawWithFrameInView(painter, QRectF(QPointF(0, 0), size), nullptr, state);
    return canvas;
}

void keep(const QImage& image, const QString& name) {
    image.save(TestEnvironment::renderFolder() + u'/' + name);
}

VTCellState pressedState() {
    VTCellState state;
    state.highlighted = true;
    return state;
}

VTCellState disabledState(bool pressed) {
    VTCellState state;
    state.enabled = false;
    state.highlighted = pressed;
    return state;
}
} // namespace

TEST(RHDrawThreePartImage, CapsKeepTheirLengthAndTheCentreFillsTheRest) {
    const QImage start = filled(6, 10, Qt::red), centre = filled(1, 10, Qt::green),
                 end = filled(4, 10, Qt::blue);
    struct Case {
        const char* name;
        QSize canvas;
        bool vertical;
        QPoint startPixel, centrePixel, endPixel;
    } cases[] = {
        {"horizontal", {50, 20}, false, {5, 19}, {6, 0}, {46, 10}},
        // Along the vertical axis the caps are 10 long (their height).
        {"vertical", {20, 50}, true, {19, 5}, {0, 12}, {10, 46}},
        // 10 points of caps in 5: each shrinks to half.
        {"caps longer than the frame", {5, 8}, false, {2, 4}, {-1, -1}, {3, 4}},
    };
    for (const Case& c : cases) {
        QImage canvas(c.canvas, QImage::Format_ARGB32_Premultiplied);
        canvas.fill(Qt::transparent);
        QPainter painter(&canvas);
        RHDrawThreePartImage(painter, QRectF(QPointF(0, 0), c.canvas), start, centre, end,
                             c.vertical, QPainter::CompositionMode_SourceOver, 1.0);
        painter.end();
        EXPECT_EQ(canvas.pixelColor(c.startPixel), QColor(Qt::red)) << c.name;
        if (c.centrePixel.x() >= 0) {
            EXPECT_EQ(canvas.pixelColor(c.centrePixel), QColor(Qt::green)) << c.name;
        }
        EXPECT_EQ(canvas.pixelColor(c.endPixel), QColor(Qt::blue)) << c.name;
    }
}

TEST(VTButtonCell, EachTypeHasItsColourAndAReadableTitle) {
    struct Case {
        const char* name;
        int type;
        QColor colour;
        QColor title;
    } cases[] = {
        {"light grey", VTButtonTypeLightGray, QColor::fromRgbF(0.85f, 0.85f, 0.85f), Qt::black},
        {"blue", VTButtonTypeBlue, QColor::fromRgbF(0.0f, 0.33f, 0.8f), Qt::white},
        {"teal", VTButtonTypeTeal, QColor::fromRgbF(0.18f, 0.59f, 0.71f), Qt::white},
        {"green", VTButtonTypeGreen, QColor::fromRgbF(0.32f, 0.64f, 0.32f), Qt::white},
        {"orange", VTButtonTypeOrange, QColor::fromRgbF(0.97f, 0.58f, 0.02f), Qt::white},
        {"red", VTButtonTypeRed, QColor::fromRgbF(0.74f, 0.21f, 0.18f), Qt::white},
        {"dark", VTButtonTypeDark, QColor::fromRgbF(0.13f, 0.13f, 0.13f), Qt::white},
        {"unknown type draws light grey", 7, QColor::fromRgbF(0.85f, 0.85f, 0.85f), Qt::black},
    };
    for (const Case& c : cases) {
        VTButtonCell cell;
        cell.setVTButtonType(c.type);
        EXPECT_EQ(cell.getColorForButtonType(), c.colour) << c.name;
        cell.setTitle(QStringLiteral("Convert"));
        const QImage drawn = drawCell(cell, {100, 30});
        // The bottom of the gradient is the colour itself, the rim one shade darker.
        EXPECT_TRUE(near(drawn.pixelColor(90, 28), c.colour)) << c.name;
        EXPECT_TRUE(
            near(drawn.pixelColor(50, 0), VTColorExtensions::darkenColorByValue(c.colour, 0.12f)))
            << c.name;
        EXPECT_GT(countNear(drawn, c.title, 60), 10) << c.name << ": title pixels";
    }
}

TEST(VTButtonCell, PressedShowsOnlyTheFlatDarkerShape) {
    VTButtonCell cell;
    cell.setVTButtonType(VTButtonTypeBlue);
    const QColor darker =
        VTColorExtensions::darkenColorByValue(cell.getColorForButtonType(), 0.12f);
    const QImage up = drawCell(cell, {100, 30});
    const QImage down = drawCell(cell, {100, 30}, pressedState());
    for (QPoint inside : {QPoint(50, 2), QPoint(50, 15), QPoint(50, 28)})
        EXPECT_TRUE(near(down.pixelColor(inside), darker)) << inside.y();
    EXPECT_FALSE(near(up.pixelColor(50, 2), darker)) << "unpressed: gradient inside the rim";
    EXPECT_LT(down.pixelColor(0, 0).alpha(), 64) << "corners stay rounded";
}

TEST(VTButton, MouseClickPressesAndReleasesTheFlatButton) {
    VTButton button;
    button.setText(QStringLiteral("Start"));
    button.setVTButtonType(VTButtonTypeGreen);
    button.resize(120, 32);
    button.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&button));
    QSignalSpy clicked(&button, &QAbstractButton::clicked);
    const QColor darker =
        VTColorExtensions::darkenColorByValue(button.buttonCell()->getColorForButtonType(), 0.12f);

    QTest::mousePress(&button, Qt::LeftButton, {}, QPoint(60, 16));
    const QImage pressed = button.grab().toImage();
    QTest::mouseRelease(&button, Qt::LeftButton, {}, QPoint(60, 16));
    const QImage released = button.grab().toImage();
    keep(pressed, QStringLiteral("vtbutton-pressed.png"));
    keep(released, QStringLiteral("vtbutton.png"));

    EXPECT_EQ(clicked.count(), 1);
    EXPECT_TRUE(near(pixelAt(pressed, 5, 3), darker));
    EXPECT_FALSE(near(pixelAt(released, 5, 3), darker));
    EXPECT_EQ(button.buttonCell()->title(), QStringLiteral("Start"));
    EXPECT_GE(button.sizeHint().height(), 22);
}

TEST(VTGradientButtonCell, SliceCountAndStateChooseTheBezel) {
    struct Case {
        const char* name;
        int normalCount;
        VTCellState state;
        QColor expected; // at the centre; transparent: no bezel
    } cases[] = {
        {"three normal slices", 3, {}, Qt::red},
        {"nine normal slices", 9, {}, Qt::red},
        {"two slices", 2, {}, Qt::transparent},
        {"four slices", 4, {}, Qt::transparent},
        {"eight slices", 8, {}, Qt::transparent},
        {"pressed takes the highlighted set", 3, pressedState(), Qt::green},
        {"disabled wins over pressed", 3, disabledState(true), Qt::blue},
    };
    for (const Case& c : cases) {
        VTGradientButtonCell cell;
        QList<QImage> normal;
        for (int i = 0; i < c.normalCount; ++i)
            normal << filled(4, 4, Qt::red);
        cell.setAryGradientNorImgs(normal);
        cell.setAryGradientHlImgs(
            {filled(4, 20, Qt::green), filled(1, 20, Qt::green), filled(4, 20, Qt::green)});
        cell.setAryGradientDisableImgs(
            {filled(4, 20, Qt::blue), filled(1, 20, Qt::blue), filled(4, 20, Qt::blue)});
        const QImage drawn = drawCell(cell, {60, 20}, c.state);
        EXPECT_EQ(drawn.pixelColor(30, 10).rgba(), c.expected.rgba()) << c.name;
    }
}

TEST(VTPopupButtonCell, ArrowsAndIconsFollowTheKeptHighlight) {
    VTPopupButtonCell cell;
    EXPECT_TRUE(cell.showArrowDown());
    EXPECT_EQ(cell.aryGradientNorImgs().size(), 3);
    EXPECT_EQ(cell.aryGradientHlImgs().size(), 3);
    ASSERT_EQ(cell.maryArrowDowns().size(), 2);

    const QImage normalIcon = filled(8, 8, Qt::red), highlightedIcon = filled(8, 8, Qt::green);
    cell.setIconImageForState(normalIcon, false);
    cell.setIconImageForState(highlightedIcon, true);
    EXPECT_EQ(cell.getDrawImage(), normalIcon);
    EXPECT_EQ(cell.getArrowDownImage(), cell.maryArrowDowns().first());
    cell.setIsKeepHighlight(true);
    EXPECT_EQ(cell.getDrawImage(), highlightedIcon);
    EXPECT_EQ(cell.getArrowDownImage(), cell.maryArrowDowns().last());

    cell.setArrowDownImageForState(QImage(), true);
    EXPECT_EQ(cell.maryArrowDowns().size(), 1) << "a null highlighted arrow removes slot 1";
    cell.setArrowDownImageForState(QImage(), true);
    EXPECT_EQ(cell.maryArrowDowns().size(), 1) << "removing an empty slot changes nothing";
    cell.setMaryArrowDowns({});
    EXPECT_TRUE(cell.getArrowDownImage().isNull());
    const QImage arrow = filled(6, 4, Qt::blue);
    cell.setArrowDownImageForState(arrow, true);
    EXPECT_EQ(cell.maryArrowDowns(), QList<QImage>{arrow}) << "past the end: appended";
}

TEST(VTPopupButtonCell, DrawsTitleIconAndArrowInTheirColours) {
    struct Case {
        const char* name;
        bool keepHighlight;
        QColor title;
    } cases[] = {{"normal", false, QColor(51, 51, 51)}, {"kept highlighted", true, Qt::white}};
    for (const Case& c : cases) {
        VTPopupButtonCell cell;
        cell.setTitle(QStringLiteral("MP3 Audio"));
        cell.setIconImageForState(filled(10, 10, Qt::red), false);
        cell.setIconImageForState(filled(10, 10, Qt::green), true);
        cell.setIsKeepHighlight(c.keepHighlight);
        QImage drawn(160, 24, QImage::Format_ARGB32_Premultiplied);
        drawn.fill(QColor(0, 0, 128));
        QPainter painter(&drawn);
        cell.drawWithFrameInView(painter, QRectF(0, 0, 160, 24), nullptr, {});
        painter.end();
        keep(drawn, QStringLiteral("popup-%1.png").arg(c.keepHighlight ? "on" : "off"));
        EXPECT_EQ(drawn.pixelColor(9, 12), c.keepHighlight ? QColor(Qt::green) : QColor(Qt::red))
            << c.name << ": icon 8 from the left";
        EXPECT_GT(countNear(drawn.copy(20, 0, 120, 24), c.title, 50), 10) << c.name;
        // The arrow sits 6 from the right edge and is 9 wide.
        const QImage arrowArea = drawn.copy(145, 8, 9, 8);
        EXPECT_GT(
            countNear(arrowArea, c.keepHighlight ? QColor(Qt::white) : QColor(51, 51, 51), 30), 5)
            << c.name;
    }
}

TEST(VTIconButtonCell, IconAndTitleAreCentredAsOneGroup) {
    const QImage icon = filled(10, 10, Qt::red);
    const VTAttributedTitle title{QStringLiteral("Add"), {}, Qt::black, {}};
    struct Case {
        const char* name;
        bool withIcon, withTitle;
    } cases[] = {{"icon only", true, false}, {"title only", false, true}, {"both", true, true}};
    for (const Case& c : cases) {
        VTIconButtonCell cell;
        if (c.withIcon)
            cell.setIconForState(icon, true);
        if (c.withTitle)
            cell.setTitleForState(title, true);
        const QImage drawn = drawCell(cell, {100, 30});
        const double tw = c.withTitle ? title.size(QApplication::font()).width() : 0;
        const double groupWidth = (c.withIcon ? 10 : 0) + tw + (c.withIcon && c.withTitle ? 10 : 0);
        const int groupLeft = int(std::round((100 - groupWidth) / 2));
        if (c.withIcon) {
            EXPECT_EQ(drawn.pixelColor(groupLeft + 1, 15), QColor(Qt::red)) << c.name;
        }
        int leftmostInk = 100, rightmostInk = -1;
        for (int x = 0; x < 100; ++x)
            for (int y = 0; y < 30; ++y)
                if (drawn.pixelColor(x, y).alpha() > 0) {
                    leftmostInk = std::min(leftmostInk, x);
                    rightmostInk = std::max(rightmostInk, x);
                }
        EXPECT_NEAR((leftmostInk + rightmostInk + 1) / 2.0, 50.0, 3.0) << c.name;
    }
}

TEST(VTIconButtonCell, PressedDrawsTheHighlightedSet) {
    VTIconButtonCell cell;
    cell.setBackgroundImageForState(filled(4, 4, Qt::gray), true);
    cell.setBackgroundImageForState(filled(4, 4, Qt::darkBlue), false);
    EXPECT_EQ(drawCell(cell, {40, 20}).pixelColor(20, 10), QColor(Qt::gray));
    EXPECT_EQ(drawCell(cell, {40, 20}, pressedState()).pixelColor(20, 10), QColor(Qt::darkBlue));
}

TEST(VT4StateButtonCell, StatesAreClampedAndSlotsReplaced) {
    struct MaxCase {
        int given, kept;
    } maxima[] = {{0, 0}, {2, 2}, {4, 4}, {5, 4}, {7, 4}, {-1, 4}};
    for (const MaxCase& c : maxima)
        EXPECT_EQ(VT4StateButtonCell(c.given).acturalMaxState(), c.kept) << c.given;

    struct StateCase {
        int set, stored;
    } states[] = {{0, 0}, {3, 3}, {4, 4}, {9, 4}, {-3, 0}};
    for (const StateCase& c : states) {
        VT4StateButtonCell cell;
        cell.setCurState(c.set);
        EXPECT_EQ(cell.curState(), c.stored) << c.set;
    }

    VT4StateButtonCell cell;
    const auto title = [](const char* text) { return VTAttributedTitle{text, {}, {}, {}}; };
    cell.setStateTitles({title("a"), title("b"), title("c"), title("d"), title("e")});
    EXPECT_TRUE(cell.stateTitles().isEmpty()) << "five titles on a maximum of 4: ignored";
    cell.setStateTitles({title("a"), title("b")});
    cell.setTitleForState(title("B"), 1);
    cell.setTitleForState(title("x"), 5);
    cell.setTitleForState(title(""), 0);
    EXPECT_EQ(cell.stateTitles(), (QList<VTAttributedTitle>{title("a"), title("B")}));

    const QImage first = filled(2, 2, Qt::red), second = filled(2, 2, Qt::green);
    cell.setBackgroundImageForState(first, 1);
    cell.setBackgroundImageForState(second, 1);
    ASSERT_EQ(cell.stateBackgroundImages().size(), 2) << "slot 0 left empty, slot 1 replaced";
    EXPECT_TRUE(cell.stateBackgroundImages().at(0).isNull());
    EXPECT_EQ(cell.stateBackgroundImages().at(1), second);
}

TEST(VT4StateButtonCell, DrawsTheCurrentStateAndNothingForAnEmptySlot) {
    VT4StateButtonCell cell(3);
    cell.setBackgroundImageForState(filled(30, 20, Qt::red), 0);
    cell.setBackgroundImageForState(filled(30, 20, Qt::green), 2);
    cell.setTitleForState(VTAttributedTitle{QStringLiteral("Two"), {}, Qt::black, {}}, 2);
    struct Case {
        int state;
        QColor corner;
        bool text;
    } cases[] = {{0, Qt::red, false},
                 {1, Qt::transparent, false},
                 {2, Qt::green, true},
                 {3, Qt::transparent, false}};
    for (const Case& c : cases) {
        cell.setCurState(c.state);
        const QImage drawn = drawCell(cell, {60, 40});
        EXPECT_EQ(drawn.pixelColor(1, 1).rgba(), c.corner.rgba()) << c.state;
        EXPECT_EQ(drawn.pixelColor(40, 30).alpha(), 0) << "the image is drawn at its own size";
        EXPECT_EQ(countNear(drawn, Qt::black, 80) > 5, c.text) << c.state;
    }
}

TEST(VTCustomerColorButtonCell, ImageAreaShowsTheGradientByMask) {
    const QImage picture = filled(20, 20, Qt::magenta);
    struct Case {
        const char* name;
        QList<QColor> colours;
        int mask;
        QColor top, bottom; // transparent: nothing drawn
    } cases[] = {
        {"angle 90 runs downwards",
         {Qt::red, Qt::blue},
         VTGradientMaskColorsAngle90,
         Qt::red,
         Qt::blue},
        {"angle -90 runs upwards",
         {Qt::red, Qt::blue},
         VTGradientMaskColorsAngleMinus90,
         Qt::blue,
         Qt::red},
        {"other mask: neither gradient nor image", {Qt::red}, 0, Qt::transparent, Qt::transparent},
        {"no colours: the image", {}, 0, Qt::magenta, Qt::magenta},
    };
    for (const Case& c : cases) {
        VTCustomerColorButtonCell cell;
        cell.setBordered(false);
        cell.setImage(picture);
        cell.setAryBgColors(c.colours);
        cell.setGradientMask(c.mask);
        const QImage drawn = drawCell(cell, {40, 40});
        EXPECT_TRUE(near(drawn.pixelColor(20, 10), c.top, 20)) << c.name;
        EXPECT_TRUE(near(drawn.pixelColor(20, 29), c.bottom, 20)) << c.name;
    }
}

TEST(VTCustomerColorButtonCell, TitleTakesTheTextColourOnlyWhileEnabled) {
    VTCustomerColorButtonCell cell;
    EXPECT_EQ(cell.textColor(), QColor(Qt::white));
    cell.setTitle(QStringLiteral("Go"));
    cell.setTextColor(Qt::red);
    EXPECT_EQ(cell.getAttributedTitle(),
              (VTAttributedTitle{QStringLiteral("Go"), {}, Qt::red, {}}));
    cell.setBordered(false);
    EXPECT_GT(countNear(drawCell(cell, {60, 24}), Qt::red, 60), 5);
    EXPECT_EQ(countNear(drawCell(cell, {60, 24}, disabledState(false)), Qt::red, 60), 0);
}

TEST(VTButtonUtiltiy, SetTitleColorRecoloursTheTitleCentred) {
    VTButton button;
    button.setText(QStringLiteral("Open"));
    const VTAttributedTitle before = button.cell()->attributedTitle();
    VTButtonUtiltiy::setTitleColor(&button, QColor());
    EXPECT_EQ(button.cell()->attributedTitle(), before) << "an invalid colour changes nothing";

    VTButtonUtiltiy::setTitleColor(&button, Qt::yellow);
    const VTAttributedTitle after = button.cell()->attributedTitle();
    EXPECT_EQ(after.string, QStringLiteral("Open"));
    EXPECT_EQ(after.foregroundColor, QColor(Qt::yellow));
    EXPECT_EQ(after.alignment, Qt::AlignHCenter);
    EXPECT_EQ(after.font, button.font());

    QPushButton plain(QStringLiteral("Plain"));
    VTButtonUtiltiy::setTitleColor(&plain, Qt::red);
    EXPECT_EQ(plain.palette().color(QPalette::ButtonText), QColor(Qt::red));
}

TEST(VTCellButton, RendersEveryCellKind) {
    QWidget window;
    window.resize(420, 60);
    auto addButton = [&](std::unique_ptr<VTBaseButtonCell> cell, const QString& text, int x) {
        auto* button = new VTCellButton(std::move(cell), &window);
        button->setText(text);
        button->setGeometry(x, 14, 95, 28);
        return button;
    };
    auto blue = std::make_unique<VTButtonCell>();
    blue->setVTButtonType(VTButtonTypeBlue);
    addButton(std::move(blue), QStringLiteral("Convert"), 5);
    addButton(std::make_unique<VTPopupButtonCell>(), QStringLiteral("Format"), 110);
    auto colour = std::make_unique<VTCustomerColorButtonCell>();
    colour->setImage(filled(60, 16, Qt::white));
    colour->setAryBgColors({QColor(90, 160, 250), QColor(20, 80, 200)});
    colour->setGradientMask(VTGradientMaskColorsAngle90);
    addButton(std::move(colour), QString(), 215);
    auto icon = std::make_unique<VTIconButtonCell>();
    icon->setIconForState(filled(12, 12, QColor(200, 60, 60)), true);
    icon->setTitleForState(VTAttributedTitle{QStringLiteral("Add"), {}, {}, {}}, true);
    addButton(std::move(icon), QString(), 320);
    const QImage picture = window.grab().toImage();
    keep(picture, QStringLiteral("button-cells.png"));
    EXPECT_TRUE(near(pixelAt(picture, 52, 40), QColor::fromRgbF(0.0f, 0.33f, 0.8f), 10));
}
