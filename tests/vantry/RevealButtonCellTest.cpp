#include "controls/VTRevealButtonCell.h"
#include "controls/VTRevealButtonCellDelegate.h"

#include "DevicePixels.h"
#include "TestEnvironment.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QHeaderView>
#include <QPainter>
#include <QStandardItemModel>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

namespace {
void keep(const QImage& image, const QString& name) {
    image.save(TestEnvironment::renderFolder() + u'/' + name);
}

// The darkest pixel inside rect: the info button's disc is dark, its opacity shows here.
int darkest(const QImage& image, const QRect& rect) {
    int lowest = 255;
    const QRect pixels = deviceRect(image, rect);
    for (int y = pixels.top(); y <= pixels.bottom(); ++y)
        for (int x = pixels.left(); x <= pixels.right(); ++x)
            lowest = std::min(lowest, qGray(image.pixel(x, y)));
    return lowest;
}

// A table of one column of song names, shown, with the reveal cell in its column.
struct RevealTable {
    QStandardItemModel model{3, 1};
    QTableView view;
    VTRevealButtonCellDelegate* delegate;
    int actions = 0;
    QWidget* sender = nullptr;

    RevealTable() : delegate(new VTRevealButtonCellDelegate(&view)) {
        const char* names[] = {"First song", "Second song", "Third song"};
        for (int row = 0; row < 3; ++row)
            model.setItem(row, 0, new QStandardItem(QString::fromLatin1(names[row])));
        view.setModel(&model);
        view.setItemDelegateForColumn(0, delegate);
        view.horizontalHeader()->resizeSection(0, 200);
        view.resize(260, 140);
        view.show();
        delegate->cell().setInfoButtonAction([this](QWidget* from) {
            ++actions;
            sender = from;
        });
    }

    // The centre of row's info button in viewport coordinates.
    QPoint button(int row) const {
        const QModelIndex index = model.index(row, 0);
        return delegate->cell()
            .infoButtonRectForBounds(QRectF(view.visualRect(index)), &view)
            .center()
            .toPoint();
    }
    QWidget* viewport() const { return view.viewport(); }
    QImage render() { return viewport()->grab().toImage(); }
    QRect buttonArea(int row) const { return QRect(button(row) - QPoint(5, 5), QSize(11, 11)); }
};
} // namespace

TEST(VTRevealButtonCell, GeometryFollowsTheBounds) {
    VTRevealButtonCell cell;
    cell.setStringValue(QStringLiteral("A rather long song title that will not fit"));
    const QSizeF text = cell.textSize(nullptr);
    struct Case {
        const char* name;
        QRectF bounds;
        double titleWidth;
        double cellWidth;
    } cases[] = {
        {"narrower than 24", QRectF(10, 5, 20, 17), 0.0, 20.0},
        {"long text is cut at width - 24", QRectF(0, 0, 120, 17), 96.0, 120.0},
        {"room to spare", QRectF(0, 0, 2000, 17), text.width(), text.width() + 24},
    };
    for (const Case& c : cases) {
        const QRectF title = cell.titleRectForBounds(c.bounds, nullptr);
        EXPECT_EQ(title, QRectF(c.bounds.x() + 6, c.bounds.y(), c.titleWidth, text.height()))
            << c.name;
        EXPECT_EQ(cell.infoButtonRectForBounds(c.bounds, nullptr),
                  QRectF(c.bounds.right() - 18, c.bounds.y() + 2, 14, 14))
            << c.name;
        EXPECT_DOUBLE_EQ(cell.cellSizeForBounds(c.bounds, nullptr).width(), c.cellWidth) << c.name;
    }
    EXPECT_EQ(cell.lineBreakMode(), Qt::ElideRight);
    EXPECT_TRUE(VTRevealButtonCell::prefersTrackingUntilMouseUp());
}

TEST(VTRevealButtonCell, HitTestAndOpacity) {
    VTRevealButtonCell cell;
    cell.setStringValue(QStringLiteral("Song"));
    const QRectF frame(0, 0, 200, 20);
    using C = VTRevealButtonCell;
    EXPECT_EQ(cell.hitTestForPointInRectOfView({8, 5}, frame, nullptr),
              C::HitContentArea | C::HitEditableTextArea);
    EXPECT_EQ(cell.hitTestForPointInRectOfView({190, 8}, frame, nullptr),
              C::HitContentArea | C::HitTrackableArea);
    EXPECT_EQ(cell.hitTestForPointInRectOfView({120, 8}, frame, nullptr), C::HitNone);

    struct Case {
        const char* name;
        bool pressed, hovered, selected;
        double opacity;
    } cases[] = {
        {"idle", false, false, false, 0.3},   {"selected row", false, false, true, 0.5},
        {"hovered", false, true, false, 1.0}, {"hovered in a selected row", false, true, true, 1.0},
        {"pressed", true, true, false, 0.5},  {"pressed, selected row", true, true, true, 0.5},
    };
    for (const Case& c : cases) {
        VTCellState state;
        state.highlighted = c.pressed;
        state.hovered = c.hovered;
        state.selected = c.selected;
        EXPECT_DOUBLE_EQ(VTRevealButtonCell::infoButtonOpacity(state), c.opacity) << c.name;
    }
}

TEST(VTRevealButtonCell, TrackingTakesTheHoverFlagFromThePointer) {
    VTRevealButtonCell cell;
    QWidget view;
    const QRectF frame(0, 0, 200, 20);
    cell.addTrackingAreasForViewInRectWithUserInfoMouseLocation(&view, frame, {}, {190, 8});
    EXPECT_TRUE(view.hasMouseTracking());
    EXPECT_TRUE(cell.iMouseHoveredInInfoButton());
    EXPECT_DOUBLE_EQ(VTRevealButtonCell::infoButtonOpacity(cell.ownState(false)), 1.0);
    cell.addTrackingAreasForViewInRectWithUserInfoMouseLocation(&view, frame, {}, {100, 8});
    EXPECT_FALSE(cell.iMouseHoveredInInfoButton());
}

TEST(VTRevealButtonCell, LongTextIsTruncatedAtItsTail) {
    VTRevealButtonCell cell;
    const QString title = QStringLiteral("MMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMM");
    cell.setStringValue(title);
    QImage canvas(100, 20, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::white);
    QPainter painter(&canvas);
    cell.drawInteriorWithFrameInView(painter, QRectF(0, 0, 100, 20), nullptr, {});
    painter.end();
    keep(canvas, QStringLiteral("reveal-truncated.png"));

    // The title ends where the button begins (82); uncut, the text would run to the edge.
    EXPECT_EQ(darkest(canvas, QRect(97, 0, 3, 20)), 255);
    EXPECT_EQ(darkest(canvas, QRect(82, 17, 18, 3)), 255);
    EXPECT_LT(darkest(canvas, QRect(6, 0, 76, 20)), 128) << "text drawn";
}

TEST(VTRevealButtonCellDelegate, HoverLightsOnlyTheRowUnderThePointer) {
    RevealTable table;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&table.view));
    const QImage idle = table.render();
    QTest::mouseMove(table.viewport(), table.button(1));
    EXPECT_EQ(table.delegate->hoveredIndex(), table.model.index(1, 0));
    const QImage hovered = table.render();
    keep(hovered, QStringLiteral("reveal-hover.png"));

    EXPECT_LT(darkest(hovered, table.buttonArea(1)), darkest(idle, table.buttonArea(1)) - 60)
        << "the row under the pointer lights up";
    EXPECT_EQ(darkest(hovered, table.buttonArea(0)), darkest(idle, table.buttonArea(0)));
    EXPECT_EQ(darkest(hovered, table.buttonArea(2)), darkest(idle, table.buttonArea(2)));

    QTest::mouseMove(table.viewport(), table.button(1) - QPoint(60, 0));
    EXPECT_FALSE(table.delegate->hoveredIndex().isValid()) << "off the button, over the row";
}

TEST(VTRevealButtonCellDelegate, ClickInsideSendsTheActionOutsideDoesNot) {
    struct Case {
        const char* name;
        QPoint releaseOffset; // from the pressed button's centre
        int actions;
    } cases[] = {
        {"released on the button", {0, 0}, 1},
        {"released beside it", {-40, 0}, 0},
        {"released on another row's button", {0, 30}, 0},
    };
    for (const Case& c : cases) {
        RevealTable table;
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&table.view));
        const QPoint press = table.button(0);
        QTest::mousePress(table.viewport(), Qt::LeftButton, {}, press);
        EXPECT_TRUE(table.delegate->isPressedInside()) << c.name;
        EXPECT_EQ(table.delegate->pressedIndex(), table.model.index(0, 0)) << c.name;
        QTest::mouseMove(table.viewport(), press + c.releaseOffset);
        QTest::mouseRelease(table.viewport(), Qt::LeftButton, {}, press + c.releaseOffset);
        EXPECT_EQ(table.actions, c.actions) << c.name;
        EXPECT_FALSE(table.delegate->pressedIndex().isValid()) << c.name << ": unpressed";
        EXPECT_FALSE(table.delegate->isPressedInside()) << c.name;
        if (c.actions) {
            EXPECT_EQ(table.sender, &table.view);
            EXPECT_EQ(table.delegate->clickedIndex(), table.model.index(0, 0));
        }
    }
}

TEST(VTRevealButtonCellDelegate, PressedButtonDrawsAtHalfAndClickWithoutActionOnlyRedraws) {
    RevealTable table;
    table.delegate->cell().setInfoButtonAction(nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&table.view));
    QTest::mouseMove(table.viewport(), table.button(2));
    const QImage hovered = table.render();
    QTest::mousePress(table.viewport(), Qt::LeftButton, {}, table.button(2));
    const QImage pressed = table.render();
    keep(pressed, QStringLiteral("reveal-pressed.png"));
    EXPECT_GT(darkest(pressed, table.buttonArea(2)), darkest(hovered, table.buttonArea(2)) + 40)
        << "pressed is fainter than hovered";
    EXPECT_FALSE(table.view.selectionModel()->isRowSelected(2, {}))
        << "the press went to the button";
    QTest::mouseRelease(table.viewport(), Qt::LeftButton, {}, table.button(2));
    EXPECT_FALSE(table.delegate->pressedIndex().isValid());
    EXPECT_FALSE(table.delegate->clickedIndex().isValid()) << "no action: nothing clicked";
}

TEST(VTRevealButtonCellDelegate, TheSecondClickOfADoubleClickIsAClickToo) {
    RevealTable table;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&table.view));
    const QPoint point = table.button(1);
    QTest::mouseClick(table.viewport(), Qt::LeftButton, {}, point);
    QMouseEvent second(QEvent::MouseButtonDblClick, point, table.viewport()->mapToGlobal(point),
                       Qt::LeftButton, Qt::LeftButton, {});
    QCoreApplication::sendEvent(table.viewport(), &second);
    EXPECT_TRUE(table.delegate->isPressedInside()) << "drawn pressed";
    QTest::mouseRelease(table.viewport(), Qt::LeftButton, {}, point);
    EXPECT_EQ(table.actions, 2);
}
