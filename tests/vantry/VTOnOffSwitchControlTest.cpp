#include "controls/VTOnOffSwitchControl.h"
#include "controls/VTOnOffSwitchControlCell.h"
#include "platform/SystemBeep.h"

#include "DevicePixels.h"
#include "TestEnvironment.h"

#include <QButtonGroup>
#include <QDialog>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <functional>
#include <memory>

#include <gtest/gtest.h>

namespace {
// The switch is 80 by 24: the thumb centre rests at about x 19 when off and 61 when on.
constexpr int kMiddleY = 12;

struct DragCase {
    const char* name;
    bool allowsMixed;
    int startState;
    int pressX;
    std::vector<int> moveXs; // the release happens at the last one (at the press without)
    int expectedState;
};

void PrintTo(const DragCase& c, std::ostream* out) {
    *out << c.name;
}

class SwitchDrag : public ::testing::TestWithParam<DragCase> {};

void drag(VTOnOffSwitchControl& control, int pressX, const std::vector<int>& moveXs) {
    QTest::mousePress(&control, Qt::LeftButton, {}, QPoint(pressX, kMiddleY));
    int x = pressX;
    for (int moveX : moveXs) {
        x = moveX;
        QTest::mouseMove(&control, QPoint(x, kMiddleY));
    }
    QTest::mouseRelease(&control, Qt::LeftButton, {}, QPoint(x, kMiddleY));
}

// Whether the white thumb of an 80 by 24 switch is drawn where state puts it.
bool drawsThumbFor(VTOnOffSwitchControl& control, int state) {
    const int x = state == 1 ? 61 : state == 0 ? 18 : 39;
    return pixelAt(control.grab().toImage(), x, kMiddleY).lightness() > 220;
}

// A toggled handler that answers every turn to on by turning the switch off again.
void refuseOn(VTOnOffSwitchControl& control) {
    QObject::connect(&control, &QAbstractButton::toggled, &control, [&control](bool on) {
        if (on)
            control.setChecked(false);
    });
}

// A menu popped up in the middle of a press takes the mouse: the release goes to it.
std::unique_ptr<QMenu> popUpMenuAndRelease(QWidget& over) {
    auto menu = std::make_unique<QMenu>();
    menu->addAction(QStringLiteral("MP3"));
    menu->popup(over.mapToGlobal(QPoint(0, over.height())));
    QTest::mouseRelease(over.window()->windowHandle(), Qt::LeftButton, {},
                        over.mapTo(over.window(), QPoint(60, kMiddleY)));
    return menu;
}

// Kept four times enlarged for a person to look at.
void saveRender(const QImage& image, const QString& name) {
    image.scaled(image.size() * 4).save(TestEnvironment::renderFolder() + QLatin1Char('/') + name);
}
} // namespace

TEST_P(SwitchDrag, ReleaseLeavesTheSwitchWhereTheThumbWasLetGo) {
    const DragCase& c = GetParam();
    VTOnOffSwitchControl control;
    control.resize(80, 24);
    control.cell().setAllowsMixedState(c.allowsMixed);
    control.setState(c.startState);
    QSignalSpy clicks(&control, &QAbstractButton::clicked);

    drag(control, c.pressX, c.moveXs);

    EXPECT_EQ(control.state(), c.expectedState);
    EXPECT_EQ(control.isChecked(), c.expectedState == 1);
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_FALSE(control.cell().isTracking());
}

// Qt's setChecked() goes on using a button after its toggled signal: a switch that leaves the
// signal to it crashes here.
TEST_P(SwitchDrag, AToggledHandlerMayDeleteTheSwitch) {
    const DragCase& c = GetParam();
    auto control = std::make_unique<VTOnOffSwitchControl>();
    control->cell().setAllowsMixedState(c.allowsMixed);
    control->setState(c.startState);
    const QPointer<VTOnOffSwitchControl> alive = control.get();
    QObject::connect(alive, &QAbstractButton::toggled, [&control] { control.reset(); });
    drag(*alive, c.pressX, c.moveXs);
    EXPECT_EQ(alive.isNull(), (c.startState == 1) != (c.expectedState == 1));
}

INSTANTIATE_TEST_SUITE_P(
    VTOnOffSwitchControl, SwitchDrag,
    ::testing::Values(DragCase{"ClickTurnsOn", false, 0, 40, {}, 1},
                      DragCase{"ClickTurnsOff", false, 1, 40, {}, 0},
                      DragCase{"DragPastTheMiddleTurnsOn", false, 0, 18, {30, 45}, 1},
                      DragCase{"ShortDragStaysOff", false, 0, 18, {33}, 0},
                      DragCase{"DragLeftPastTheMiddleTurnsOff", false, 1, 60, {48, 35}, 0},
                      DragCase{"QuickLongLeftwardDragKeepsItOff", false, 0, 40, {-100}, 0},
                      DragCase{"LongLeftwardDragReleasedOutsideTurnsOff", false, 1, 60, {-100}, 0},
                      DragCase{"RightwardDragReleasedOutsideTurnsOn", false, 0, 20, {200}, 1},
                      DragCase{"MixedClickFromOffGivesMixed", true, 0, 40, {}, -1},
                      DragCase{"MixedDragToTheMiddleThirdGivesMixed", true, 0, 18, {39}, -1},
                      DragCase{"MixedDragToTheRightGivesOn", true, 0, 18, {70}, 1},
                      DragCase{"MixedDragToTheLeftGivesOff", true, 1, 60, {5}, 0}),
    [](const ::testing::TestParamInfo<DragCase>& info) { return std::string(info.param.name); });

TEST(VTOnOffSwitchControl, ClickReleasedOffTheSwitchChangesNothing) {
    VTOnOffSwitchControl control;
    control.resize(80, 24);
    QSignalSpy clicks(&control, &QAbstractButton::clicked);
    QTest::mousePress(&control, Qt::LeftButton, {}, QPoint(78, kMiddleY));
    QTest::mouseRelease(&control, Qt::LeftButton, {}, QPoint(81, kMiddleY));
    EXPECT_EQ(control.state(), 0);
    EXPECT_EQ(clicks.count(), 0);
}

TEST(VTOnOffSwitchControl, ArrowKeysStepAndBeepAtTheEnds) {
    struct Case {
        const char* name;
        bool allowsMixed;
        int startState;
        Qt::Key key;
        int expectedState;
        int beeps;
    } cases[] = {
        {"right from off", false, 0, Qt::Key_Right, 1, 0},
        {"right from on", false, 1, Qt::Key_Right, 1, 1},
        {"left from on", false, 1, Qt::Key_Left, 0, 0},
        {"left from off", false, 0, Qt::Key_Left, 0, 1},
        {"mixed: right from off", true, 0, Qt::Key_Right, -1, 0},
        {"mixed: right from mixed", true, -1, Qt::Key_Right, 1, 0},
        {"mixed: left from on", true, 1, Qt::Key_Left, -1, 0},
        {"mixed: left from mixed", true, -1, Qt::Key_Left, 0, 0},
        {"mixed: right from on", true, 1, Qt::Key_Right, 1, 1},
    };
    for (const Case& c : cases) {
        VTOnOffSwitchControl control;
        control.cell().setAllowsMixedState(c.allowsMixed);
        control.setState(c.startState);
        const int beeps = SystemBeep::count();
        QTest::keyClick(&control, c.key);
        EXPECT_EQ(control.state(), c.expectedState) << c.name;
        EXPECT_EQ(SystemBeep::count() - beeps, c.beeps) << c.name;
    }
}

TEST(VTOnOffSwitchControl, SpaceTogglesLikeAClick) {
    VTOnOffSwitchControl control;
    QTest::keyClick(&control, Qt::Key_Space);
    EXPECT_EQ(control.state(), 1);
    QTest::keyClick(&control, Qt::Key_Space);
    EXPECT_EQ(control.state(), 0);
}

TEST(VTOnOffSwitchControlCell, NewCellsAndThumbGeometry) {
    VTOnOffSwitchControlCell cell;
    EXPECT_EQ(cell.onSwitchLabel(), QStringLiteral("ON"));
    EXPECT_EQ(cell.offSwitchLabel(), QStringLiteral("OFF"));
    EXPECT_TRUE(cell.showsOnOffLabels());
    EXPECT_EQ(cell.onOffSwitchControlColors(), VTOnOffSwitchControlDefaultColors);
    EXPECT_EQ(cell.focusRingType(), VTOnOffSwitchControlCell::FocusRingType::Exterior);

    // Frame 102 wide: w = 100, thumb 0.45f of it.
    const QRectF frame(10, 0, 102, 20);
    const double thumb = 0.45f * 100.0;
    struct Case {
        int state;
        double x;
    } cases[] = {{0, 11.0}, {1, 11.0 + 100.0 - thumb}, {-1, 10.0 + 50.0 - thumb / 2.0}};
    cell.setAllowsMixedState(true);
    for (const Case& c : cases) {
        cell.setState(c.state);
        EXPECT_EQ(cell.thumbRectInFrame(frame), QRectF(c.x, 1.0, thumb, 18.0)) << c.state;
    }
    cell.setAllowsMixedState(false);
    EXPECT_EQ(cell.state(), 1) << "mixed is not kept when no longer allowed";
}

TEST(VTOnOffSwitchControlCell, CentreFollowsTheDragWithinTheTrack) {
    VTOnOffSwitchControlCell cell;
    const QRectF frame(0, 0, 80, 24);
    QWidget view;
    cell.startTrackingAtInView(QPointF(20, 10), &view);
    cell.continueTrackingAtInView(QPointF(20, 10), QPointF(25, 10), &view);
    const QRectF thumb = cell.thumbRectInFrame(frame);
    EXPECT_DOUBLE_EQ(cell.centerXForThumbWithFrame(frame), thumb.center().x() + 5.0);
    cell.continueTrackingAtInView(QPointF(25, 10), QPointF(500, 10), &view);
    EXPECT_DOUBLE_EQ(cell.centerXForThumbWithFrame(frame), 80.0 - 1.0 - thumb.width() / 2.0);
    cell.continueTrackingAtInView(QPointF(500, 10), QPointF(-500, 10), &view);
    EXPECT_DOUBLE_EQ(cell.centerXForThumbWithFrame(frame), 1.0 + thumb.width() / 2.0);
}

TEST(VTOnOffSwitchControlCell, HitTestAndCentredRectangles) {
    VTOnOffSwitchControlCell cell;
    const QRectF frame(0, 0, 80, 24);
    EXPECT_EQ(cell.hitTestForEventInRectOfView(QPointF(40, 12), frame),
              VTOnOffSwitchControlCell::NSCellHitContentArea |
                  VTOnOffSwitchControlCell::NSCellHitTrackableArea);
    EXPECT_EQ(cell.hitTestForEventInRectOfView(QPointF(90, 12), frame),
              VTOnOffSwitchControlCell::NSCellHitNone);
    EXPECT_EQ(DKCenterRect(QRectF(0, 0, 10, 10), QRectF(0, 0, 30, 20)), QRectF(10, 5, 10, 10));
    EXPECT_EQ(DKCenterRect(QRectF(0, 0, 10, 4), QRectF(5, 5, 20, 10)), QRectF(10, 8, 10, 4));
}

TEST(VTOnOffSwitchControl, RendersTintThumbAndWashedOutWhenDisabled) {
    VTOnOffSwitchControl control;
    control.resize(80, 24);
    control.setState(1);
    const QImage on = control.grab().toImage();
    saveRender(on, QStringLiteral("switch-on.png"));
    // On: the left side is tinted blue, the thumb on the right is near white.
    const QColor onSide = pixelAt(on, 10, 12);
    EXPECT_GT(onSide.blue(), onSide.red() + 60) << "blue tint left of the thumb";
    EXPECT_GT(pixelAt(on, 62, 12).lightness(), 220) << "white thumb on the right";

    control.setState(0);
    const QImage off = control.grab().toImage();
    saveRender(off, QStringLiteral("switch-off.png"));
    const QColor offSide = pixelAt(off, 70, 20);
    EXPECT_LT(std::abs(offSide.blue() - offSide.red()), 10) << "no tint right of the thumb";
    EXPECT_GT(pixelAt(off, 18, 12).lightness(), 220) << "white thumb on the left";

    control.cell().setOnOffSwitchControlColors(VTOnOffSwitchControlCustomColors);
    control.cell().setCustomOnColor(Qt::red);
    control.setState(1);
    const QColor oneCustom = pixelAt(control.grab().toImage(), 10, 20);
    EXPECT_LT(std::abs(oneCustom.red() - oneCustom.blue()), 10) << "one custom colour: no tint";
    control.cell().setOnOffSwitchCustomOnColorOffColor(Qt::red, Qt::green);
    const QColor custom = pixelAt(control.grab().toImage(), 10, 20);
    EXPECT_GT(custom.red(), custom.blue() + 60) << "both custom colours: red on side";

    control.setEnabled(false);
    const QImage disabled = control.grab().toImage();
    saveRender(disabled, QStringLiteral("switch-disabled.png"));
    EXPECT_GT(pixelAt(disabled, 70, 20).lightness(), offSide.lightness() + 40) << "washed out";
    EXPECT_GT(pixelAt(disabled, 62, 12).lightness(), 220) << "thumb stays on the right";
}

TEST(VTOnOffSwitchControl, StateCheckedFlagAndPictureAgreeWhateverSetsThem) {
    using Change = std::function<void(VTOnOffSwitchControl&, QPushButton & groupMate)>;
    const Change checkOn = [](auto& c, auto&) { c.setChecked(true); };
    const Change checkOff = [](auto& c, auto&) { c.setChecked(false); };
    const Change toggle = [](auto& c, auto&) { c.toggle(); };
    const Change click = [](auto& c, auto&) { c.click(); };
    struct Case {
        const char* name;
        bool allowsMixed, inExclusiveGroup;
        int startState;
        Change change;
        int expectedState;
    } cases[] = {
        {"setChecked(true)", false, false, 0, checkOn, 1},
        {"setChecked(false)", false, false, 1, checkOff, 0},
        {"setChecked(false) when mixed", true, false, -1, checkOff, 0},
        {"setChecked(true) when mixed", true, false, -1, checkOn, 1},
        {"toggle from on", false, false, 1, toggle, 0},
        {"toggle from off with mixed", true, false, 0, toggle, -1},
        {"toggle from mixed", true, false, -1, toggle, 1},
        {"Qt's toggle", true, false, 1, [](auto& c, auto&) { c.QAbstractButton::toggle(); }, 0},
        {"click from on with mixed", true, false, 1, click, 0},
        {"click from off with mixed", true, false, 0, click, -1},
        {"the cell's setState", false, false, 0, [](auto& c, auto&) { c.cell().setState(1); }, 1},
        {"mixed no longer allowed", true, false, -1,
         [](auto& c, auto&) { c.cell().setAllowsMixedState(false); }, 1},
        {"group checks another", false, true, 1, [](auto&, auto& m) { m.setChecked(true); }, 0},
        {"group keeps its checked switch on", false, true, 1, click, 1},
        {"toggled handler refuses setState(1)", false, false, 0,
         [](auto& c, auto&) {
             refuseOn(c);
             c.setState(1);
         },
         0},
        {"toggled handler refuses click()", false, false, 0,
         [](auto& c, auto&) {
             refuseOn(c);
             c.click();
         },
         0},
        {"toggled handler refuses a mouse click", false, false, 0,
         [](auto& c, auto&) {
             refuseOn(c);
             QTest::mouseClick(&c, Qt::LeftButton, {}, QPoint(40, kMiddleY));
         },
         0},
        {"toggled handler refuses Space", false, false, 0,
         [](auto& c, auto&) {
             refuseOn(c);
             QTest::keyClick(&c, Qt::Key_Space);
         },
         0},
    };
    for (const Case& c : cases) {
        VTOnOffSwitchControl control;
        QPushButton mate;
        mate.setCheckable(true);
        QButtonGroup group;
        if (c.inExclusiveGroup) {
            group.addButton(&control);
            group.addButton(&mate);
        }
        control.cell().setAllowsMixedState(c.allowsMixed);
        control.setState(c.startState);
        c.change(control, mate);
        EXPECT_EQ(control.state(), c.expectedState) << c.name;
        EXPECT_EQ(control.isChecked(), c.expectedState == 1) << c.name;
        EXPECT_TRUE(drawsThumbFor(control, c.expectedState)) << c.name;
    }
}

TEST(VTOnOffSwitchControl, APressThatSeesNoReleaseEndsWithTheStateUnchanged) {
    using Interruption = std::function<void(VTOnOffSwitchControl&)>;
    const Interruption nothing = [](auto&) {};
    std::unique_ptr<QMenu> menu;
    const Interruption closeMenu = [&menu](auto&) { menu.reset(); };
    struct Case {
        const char* name;
        Interruption interrupt, undo;
        bool pointerOnTheSwitch = true;
    } cases[] = {
        {"disabled", [](auto& c) { c.setEnabled(false); }, [](auto& c) { c.setEnabled(true); }},
        {"hidden", [](auto& c) { c.hide(); }, [](auto& c) { c.show(); }},
        {"a modal window opens", [](auto& c) { (new QDialog(&c))->open(); },
         [](auto& c) { delete c.template findChild<QDialog*>(); }},
        {"grab lost",
         [](auto& c) {
             QEvent lost(QEvent::UngrabMouse);
             QCoreApplication::sendEvent(&c, &lost);
         },
         nothing},
        {"a pop-up opens over an unfocused switch",
         [&menu](auto& c) {
             c.clearFocus();
             menu = popUpMenuAndRelease(c);
         },
         closeMenu},
        {"a pop-up opens, no pointer crossing reported",
         [&menu](auto& c) { menu = popUpMenuAndRelease(c); }, closeMenu, false},
    };
    for (const Case& c : cases) {
        // The offscreen platform finds the window under its cursor by comparing device pixels
        // with the window's frame: a window large enough holds the pointer at any scale.
        QWidget window;
        window.resize(200, 100);
        VTOnOffSwitchControl control(&window);
        QCursor::setPos(-500, -500);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        control.setFocus();
        // With no button held, the pointer moves as the window system reports it.
        if (c.pointerOnTheSwitch)
            QTest::mouseMove(&control, QPoint(18, kMiddleY));
        QSignalSpy clicks(&control, &QAbstractButton::clicked);
        QTest::mousePress(&control, Qt::LeftButton, {}, QPoint(18, kMiddleY));
        QTest::mouseMove(&control, QPoint(60, kMiddleY));
        c.interrupt(control);
        EXPECT_FALSE(control.cell().isTracking()) << c.name;
        EXPECT_TRUE(drawsThumbFor(control, 0)) << c.name << ": back where the press found it";
        c.undo(control);
        QTest::mouseRelease(&control, Qt::LeftButton, {}, QPoint(60, kMiddleY));
        EXPECT_EQ(control.state(), 0) << c.name;
        EXPECT_FALSE(control.isChecked()) << c.name;
        EXPECT_EQ(clicks.count(), 0) << c.name;
    }
}
