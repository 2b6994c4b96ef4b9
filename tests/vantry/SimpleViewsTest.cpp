#include "controls/LTKeyPressTableViewAdditions.h"
#include "controls/VTCommonView.h"
#include "controls/VTCommonViewDelegate.h"
#include "controls/VTCustomBgColorView.h"
#include "controls/VTCustomerBackgroundBox.h"
#include "controls/VTDashedLine.h"
#include "controls/VTGradientView.h"
#include "controls/VTKeyPressOutlineView.h"
#include "controls/VTKeyPressTableView.h"
#include "controls/VTKeyPressTableViewDelegate.h"

#include "DevicePixels.h"
#include "TestEnvironment.h"
#include "platform/SystemBeep.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QMimeData>
#include <QPainter>
#include <QStandardItemModel>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

namespace {
QImage filled(int width, int height, const QColor& colour) {
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(colour);
    return image;
}

bool near(const QColor& actual, const QColor& expected, int tolerance = 12) {
    return std::abs(actual.red() - expected.red()) <= tolerance &&
           std::abs(actual.green() - expected.green()) <= tolerance &&
           std::abs(actual.blue() - expected.blue()) <= tolerance &&
           std::abs(actual.alpha() - expected.alpha()) <= tolerance;
}

// What a view draws of its own, on a transparent canvas.
template <typename View> QImage drawView(const View& view, QSize size) {
    QImage canvas(size, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    QPainter painter(&canvas);
    view.drawRect(painter, QRectF(QPointF(0, 0), size));
    return canvas;
}

void keep(const QImage& image, const QString& name) {
    image.save(TestEnvironment::renderFolder() + u'/' + name);
}

class RecordingViewDelegate : public VTCommonViewDelegate {
public:
    bool answer = false;
    QStringList paths;
    bool didWindowAccepteDragFiles(QWidget*, const QStringList& dropped) override {
        paths = dropped;
        return answer;
    }
};

class RecordingKeyDelegate : public VTKeyPressTableViewDelegate {
public:
    QList<Message> answered;
    bool prevent = false;
    QStringList calls;
    bool respondsToMessage(Message message) const override { return answered.contains(message); }
    bool preventEnterEditingTableView(QAbstractItemView*) override { return prevent; }
    void deleteSelectionFromTableView(QAbstractItemView*) override { calls << "delete"; }
    void didClickCommondUpKeys(QAbstractItemView*) override { calls << "up"; }
    void didClickCommondDownKeys(QAbstractItemView*) override { calls << "down"; }
    void goLeftFromTableView(QAbstractItemView*) override { calls << "left"; }
    void goRightFromTableView(QAbstractItemView*) override { calls << "right"; }
};

const QList<VTKeyPressTableViewDelegate::Message> kAllMessages = {
    VTKeyPressTableViewDelegate::PreventEnterEditing,
    VTKeyPressTableViewDelegate::DeleteSelection,
    VTKeyPressTableViewDelegate::CommondUpKeys,
    VTKeyPressTableViewDelegate::CommondDownKeys,
    VTKeyPressTableViewDelegate::GoLeft,
    VTKeyPressTableViewDelegate::GoRight};

// Three rows of "Title" (read-only), "Artist" and "Album" (editable), or none editable.
std::unique_ptr<QStandardItemModel> songs(bool editable) {
    auto model = std::make_unique<QStandardItemModel>(3, 3);
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column) {
            auto* item = new QStandardItem(QStringLiteral("r%1c%2").arg(row).arg(column));
            item->setEditable(editable && column > 0);
            model->setItem(row, column, item);
        }
    return model;
}

struct KeyTable {
    std::unique_ptr<QStandardItemModel> model;
    VTKeyPressTableView view;
    RecordingKeyDelegate delegate;

    explicit KeyTable(bool editable, int selectedRow = -1) : model(songs(editable)) {
        view.setModel(model.get());
        view.setSelectionBehavior(QAbstractItemView::SelectRows);
        view.setDelegate(&delegate);
        view.resize(400, 200);
        view.show();
        if (selectedRow >= 0)
            view.selectRow(selectedRow);
    }
};
} // namespace

TEST(VTCommonView, DropsOfFilesGoToTheDelegate) {
    VTCommonView view;
    EXPECT_FALSE(view.acceptDrops());
    view.setEnableDragAndDrop(true);
    EXPECT_TRUE(view.acceptDrops());

    QMimeData files;
    const QStringList paths = {QStringLiteral("/music/-dash 'q'.flac"),
                               QStringLiteral("/music/Ünï.mp3")};
    files.setUrls({QUrl::fromLocalFile(paths[0]), QUrl::fromLocalFile(paths[1])});
    QMimeData picture;
    picture.setImageData(filled(4, 4, Qt::red));

    EXPECT_EQ(view.draggingEntered(&files, Qt::CopyAction), Qt::CopyAction);
    EXPECT_EQ(view.draggingEntered(&picture, Qt::CopyAction), Qt::IgnoreAction);
    EXPECT_EQ(view.draggingEntered(&files, Qt::MoveAction), Qt::IgnoreAction);
    EXPECT_TRUE(view.performDragOperation(&files)) << "no delegate: taken, nothing done";

    RecordingViewDelegate delegate;
    view.setWndDelegate(&delegate);
    EXPECT_TRUE(view.performDragOperation(&picture));
    EXPECT_TRUE(delegate.paths.isEmpty());
    EXPECT_FALSE(view.performDragOperation(&files));
    EXPECT_EQ(delegate.paths, paths);

    view.setEnableDragAndDrop(false);
    EXPECT_FALSE(view.acceptDrops());
}

TEST(VTGradientView, MaskChoosesGradientOrSlices) {
    const QList<QImage> three = {filled(10, 10, Qt::red), filled(10, 10, Qt::green),
                                 filled(10, 10, Qt::blue)};
    QList<QImage> nine;
    for (int i = 0; i < 9; ++i)
        nine << filled(10, 10, i == 4 ? Qt::green : Qt::red);
    struct Case {
        const char* name;
        int mask;
        QList<QImage> images;
        QColor top, bottom, left, right; // at the middle of each edge
    } cases[] = {
        {"angle 90: first colour at the bottom", 1, three, Qt::white, Qt::black, Qt::gray,
         Qt::gray},
        {"angle -90: first colour at the top", 2, three, Qt::black, Qt::white, Qt::gray, Qt::gray},
        {"horizontal slices", 3, three, Qt::green, Qt::green, Qt::red, Qt::blue},
        {"vertical slices", 4, three, Qt::red, Qt::blue, Qt::green, Qt::green},
        {"alternate is horizontal", 5, three, Qt::green, Qt::green, Qt::red, Qt::blue},
        {"nine slices", 3, nine, Qt::red, Qt::red, Qt::red, Qt::red},
        {"two slices draw nothing", 3, three.mid(0, 2), Qt::transparent, Qt::transparent,
         Qt::transparent, Qt::transparent},
        {"unknown mask draws nothing", 6, three, Qt::transparent, Qt::transparent, Qt::transparent,
         Qt::transparent},
    };
    for (const Case& c : cases) {
        VTGradientView view;
        EXPECT_EQ(view.gradientMask(), 1);
        view.setGradientMask(c.mask);
        view.setAryBgColors({Qt::black, Qt::white});
        view.setAryGradientImgs(c.images);
        const QImage drawn = drawView(view, {60, 60});
        EXPECT_TRUE(near(drawn.pixelColor(30, 0), c.top)) << c.name;
        EXPECT_TRUE(near(drawn.pixelColor(30, 59), c.bottom)) << c.name;
        EXPECT_TRUE(near(drawn.pixelColor(0, 30), c.left, 40)) << c.name;
        EXPECT_TRUE(near(drawn.pixelColor(59, 30), c.right, 40)) << c.name;
    }
}

TEST(VTCustomBgColorView, PanelCornersBorderAndPattern) {
    VTCustomBgColorView view;
    EXPECT_EQ(view.bgColor().color(), QColor(Qt::white));
    view.setBgColor(QColor(200, 220, 240));
    view.setCornerRadius(8);
    view.setBorderColor(Qt::red);
    view.setBorderWidth(4);
    const QImage panel = drawView(view, {60, 40});
    EXPECT_EQ(panel.pixelColor(0, 0).alpha(), 0) << "rounded corner";
    EXPECT_TRUE(near(panel.pixelColor(30, 1), Qt::red)) << "inner half of the border";
    EXPECT_TRUE(near(panel.pixelColor(30, 3), QColor(200, 220, 240))) << "border is 2 inside";
    EXPECT_TRUE(near(panel.pixelColor(30, 20), QColor(200, 220, 240)));

    QImage tile = filled(4, 4, Qt::blue);
    tile.setPixelColor(0, 0, Qt::yellow);
    view.setBgColor(QBrush(tile));
    const QImage pattern = drawView(view, {60, 40});
    EXPECT_EQ(pattern.pixelColor(0, 0), QColor(Qt::yellow)) << "no corner, tile at top-left";
    EXPECT_EQ(pattern.pixelColor(30, 1), QColor(Qt::blue)) << "no border";
    EXPECT_EQ(pattern.pixelColor(4, 8), QColor(Qt::yellow));

    QWidget window;
    window.resize(100, 60);
    auto* placed = new VTCustomBgColorView(&window);
    placed->setBgColor(QBrush(tile));
    placed->setGeometry(13, 7, 40, 30);
    const QImage inWindow = window.grab().toImage();
    EXPECT_EQ(pixelAt(inWindow, 13, 7), QColor(Qt::yellow)) << "anchored to the view";
}

TEST(VTCustomerBackgroundBox, StretchesItsImageOverTheBounds) {
    VTCustomerBackgroundBox box;
    box.resize(50, 30);
    box.setAttribute(Qt::WA_TranslucentBackground);
    QImage half = filled(2, 2, Qt::red);
    half.setPixelColor(1, 0, Qt::green);
    half.setPixelColor(1, 1, Qt::green);
    box.setImgBg(half);
    const QImage drawn = box.grab().toImage();
    EXPECT_TRUE(near(pixelAt(drawn, 5, 15), Qt::red, 30));
    EXPECT_TRUE(near(pixelAt(drawn, 45, 15), Qt::green, 30));
}

TEST(VTDashedLine, TypeChoosesTheDirectionAndTheDashIsThreeOnThreeOff) {
    VTDashedLine line;
    EXPECT_EQ(line.dashedLineType(), 1);
    EXPECT_EQ(line.lineForBounds(QRectF(0, 0, 10, 40)), QLineF(5, 0, 5, 40));
    line.setDashedLineType(0);
    EXPECT_EQ(line.lineForBounds(QRectF(0, 0, 40, 10)), QLineF(0, 5, 40, 5));

    const QImage drawn = drawView(line, {40, 11});
    keep(drawn, QStringLiteral("dashed-line.png"));
    QString pattern;
    for (int x = 0; x < 12; ++x)
        pattern += drawn.pixelColor(x, 5).alpha() > 128 ? u'#' : u'.';
    EXPECT_EQ(pattern, QStringLiteral("###...###..."));
}

TEST(LTKeyPressTableViewAdditions, ReturnEditsTheFirstEditableColumnOrBeeps) {
    struct Case {
        const char* name;
        bool editable;
        int selectedRow;
        bool prevent;
        bool handled;
        int beeps;
        int editedColumn; // -1: no editor
    } cases[] = {
        {"no selection beeps", true, -1, false, true, 1, -1},
        {"selection edits the first editable column", true, 1, false, true, 0, 1},
        {"no editable column goes on to the table", false, 1, false, false, 0, -1},
        {"the delegate may prevent editing", true, 1, true, false, 0, -1},
    };
    for (const Case& c : cases) {
        KeyTable table(c.editable, c.selectedRow);
        table.delegate.answered = kAllMessages;
        table.delegate.prevent = c.prevent;
        SystemBeep::resetCount();
        QKeyEvent key(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        EXPECT_EQ(LTKeyPressTableViewAdditions::_performKeyPressFromKeyDown(&table.view,
                                                                            &table.delegate, key),
                  c.handled)
            << c.name;
        EXPECT_EQ(SystemBeep::count(), c.beeps) << c.name;
        const auto editors = table.view.viewport()->findChildren<QLineEdit*>();
        EXPECT_EQ(editors.isEmpty(), c.editedColumn < 0) << c.name;
        if (c.editedColumn >= 0 && !editors.isEmpty()) {
            EXPECT_EQ(table.view.currentIndex(), table.model->index(c.selectedRow, 1)) << c.name;
            EXPECT_EQ(editors.first()->text(), QStringLiteral("r1c1"));
            EXPECT_EQ(editors.first()->selectedText(), QStringLiteral("r1c1")) << "text selected";
        }
    }
}

TEST(LTKeyPressTableViewAdditions, ReturnFollowsTheColumnsDisplayOrder) {
    KeyTable table(true, 2);
    table.view.horizontalHeader()->moveSection(2, 0); // Album shown first
    QTest::keyClick(&table.view, Qt::Key_Return);
    EXPECT_EQ(table.view.currentIndex(), table.model->index(2, 2));
}

TEST(LTKeyPressTableViewAdditions, BackspaceAndArrowsGoToTheDelegateThatAnswers) {
    using D = VTKeyPressTableViewDelegate;
    struct Case {
        const char* name;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        QList<D::Message> answered;
        int selectedRow;
        bool handled;
        QStringList calls;
        int beeps;
    } cases[] = {
        {"backspace, delegate without the message", Qt::Key_Backspace, {}, {}, 1, false, {}, 0},
        {"backspace, no selection beeps", Qt::Key_Backspace, {}, kAllMessages, -1, true, {}, 1},
        {"backspace deletes the selection",
         Qt::Key_Backspace,
         {},
         kAllMessages,
         1,
         true,
         {"delete"},
         0},
        {"ctrl+up is told and passed on",
         Qt::Key_Up,
         Qt::ControlModifier,
         kAllMessages,
         1,
         false,
         {"up"},
         0},
        {"ctrl+down is told and passed on",
         Qt::Key_Down,
         Qt::ControlModifier,
         kAllMessages,
         1,
         false,
         {"down"},
         0},
        {"down alone is not told", Qt::Key_Down, {}, kAllMessages, 1, false, {}, 0},
        {"left to a delegate that answers", Qt::Key_Left, {}, kAllMessages, 1, true, {"left"}, 0},
        {"right to a delegate that answers",
         Qt::Key_Right,
         {},
         kAllMessages,
         1,
         true,
         {"right"},
         0},
        {"right, delegate without the message", Qt::Key_Right, {}, {D::GoLeft}, 1, false, {}, 0},
        {"another key", Qt::Key_A, {}, kAllMessages, 1, false, {}, 0},
    };
    for (const Case& c : cases) {
        KeyTable table(true, c.selectedRow);
        table.delegate.answered = c.answered;
        SystemBeep::resetCount();
        QKeyEvent key(QEvent::KeyPress, c.key, c.modifiers);
        EXPECT_EQ(LTKeyPressTableViewAdditions::_performKeyPressFromKeyDown(&table.view,
                                                                            &table.delegate, key),
                  c.handled)
            << c.name;
        EXPECT_EQ(table.delegate.calls, c.calls) << c.name;
        EXPECT_EQ(SystemBeep::count(), c.beeps) << c.name;
    }
    QKeyEvent left(QEvent::KeyPress, Qt::Key_Left, Qt::NoModifier);
    EXPECT_FALSE(LTKeyPressTableViewAdditions::_performKeyPressFromKeyDown(nullptr, nullptr, left));
}

TEST(VTKeyPressTableView, CtrlDownTellsTheDelegateAndMovesAsUsual) {
    KeyTable table(true, 0);
    table.delegate.answered = kAllMessages;
    table.view.setCurrentIndex(table.model->index(0, 0));
    QTest::keyClick(&table.view, Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(table.delegate.calls, QStringList{"down"});
    EXPECT_EQ(table.view.currentIndex().row(), 1);

    QTest::keyClick(&table.view, Qt::Key_Left);
    EXPECT_EQ(table.delegate.calls, (QStringList{"down", "left"}));
    EXPECT_EQ(table.view.currentIndex(), table.model->index(1, 0)) << "left was taken";
}

TEST(VTKeyPressOutlineView, HandlesTheSameKeys) {
    auto model = songs(true);
    VTKeyPressOutlineView outline;
    outline.setModel(model.get());
    RecordingKeyDelegate delegate;
    delegate.answered = kAllMessages;
    outline.setDelegate(&delegate);
    outline.resize(300, 200);
    outline.show();
    SystemBeep::resetCount();
    QTest::keyClick(&outline, Qt::Key_Backspace);
    EXPECT_EQ(SystemBeep::count(), 1) << "nothing selected";
    outline.setCurrentIndex(model->index(2, 0));
    QTest::keyClick(&outline, Qt::Key_Backspace);
    QTest::keyClick(&outline, Qt::Key_Right);
    EXPECT_EQ(delegate.calls, (QStringList{"delete", "right"}));
}

TEST(SimpleViews, RenderTogether) {
    QWidget window;
    window.resize(300, 120);
    auto* gradient = new VTGradientView(&window);
    gradient->setAryBgColors({QColor(40, 60, 90), QColor(150, 180, 220)});
    gradient->setGeometry(10, 10, 80, 100);
    auto* panel = new VTCustomBgColorView(&window);
    panel->setBgColor(QColor(250, 240, 200));
    panel->setCornerRadius(10);
    panel->setBorderColor(QColor(200, 120, 40));
    panel->setBorderWidth(3);
    panel->setGeometry(100, 10, 100, 100);
    auto* line = new VTDashedLine(&window);
    line->setGeometry(210, 10, 10, 100);
    auto* across = new VTDashedLine(&window);
    across->setDashedLineType(0);
    across->setGeometry(225, 55, 65, 10);
    const QImage picture = window.grab().toImage();
    keep(picture, QStringLiteral("simple-views.png"));
    EXPECT_TRUE(near(pixelAt(picture, 50, 108), QColor(40, 60, 90), 20)) << "first at bottom";
    EXPECT_TRUE(near(pixelAt(picture, 150, 60), QColor(250, 240, 200)));
}
