#include "controls/VTDropInTipsPainter.h"
#include "controls/VTDropInTipsView.h"
#include "controls/VTDropInTipsViewDelegate.h"
#include "controls/VTTipsView.h"
#include "controls/VTViewUtiltiy.h"

#include "DevicePixels.h"

#include <QCoreApplication>
#include <QImage>
#include <QMimeData>
#include <QPointer>
#include <QUrl>

#include <gtest/gtest.h>

namespace {
class RecordingDelegate : public VTDropInTipsViewDelegate {
public:
    bool answer = false;
    int calls = 0;
    QStringList paths;
    bool didVTDropInTipsViewAcceptDrag(VTDropInTipsView*, const QStringList& dropped) override {
        ++calls;
        paths = dropped;
        return answer;
    }
};

std::unique_ptr<QMimeData> filesData(const QStringList& paths) {
    auto data = std::make_unique<QMimeData>();
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls << QUrl::fromLocalFile(path);
    data->setUrls(urls);
    return data;
}
} // namespace

TEST(VTDropInTipsPainter, ArrowOutlineFollowsTheSquareAndHeadWidth) {
    struct Case {
        double side, head;
        QPolygonF expected;
    } cases[] = {
        {100, 50,
         QPolygonF({{25, 50}, {50, 25}, {75, 50}, {59, 50}, {59, 75}, {41, 75}, {41, 50}})},
        // A head as narrow as the shaft: k = 0, the shaft keeps its 18 points.
        {100, 18,
         QPolygonF({{41, 50}, {50, 41}, {59, 50}, {59, 50}, {59, 59}, {41, 59}, {41, 50}})},
    };
    for (const Case& c : cases)
        EXPECT_EQ(VTDropInTipsPainter::arrowOutline(c.side, c.head), c.expected) << c.head;
}

TEST(VTDropInTipsPainter, SquareIsCentredAndMayReachOutsideNarrowBounds) {
    VTDropInTipsPainter painter;
    EXPECT_EQ(painter.arrowSquare(QRectF(0, 0, 300, 200)), QRectF(100, 50, 100, 100));
    const QRectF narrow = painter.arrowSquare(QRectF(0, 0, 60, 200));
    EXPECT_LT(narrow.left(), 0.0);
    EXPECT_EQ(narrow.width(), 100.0);
    // The arrow points down: its tip is its lowest point on screen, 25 above the
    // square's lower edge; the shaft ends 25 below its upper edge.
    const QPolygonF arrow = painter.arrowPolygon(QRectF(0, 0, 300, 200));
    EXPECT_EQ(arrow.at(1), QPointF(150, 125));
    EXPECT_EQ(arrow.boundingRect(), QRectF(125, 75, 50, 50));
}

TEST(VTDropInTipsView, DragsLightTheViewOnlyForCopyableFiles) {
    struct Case {
        const char* name;
        bool withFiles;
        Qt::DropActions actions;
        bool lights;
    } cases[] = {{"files, copy", true, Qt::CopyAction | Qt::MoveAction, true},
                 {"picture only", false, Qt::CopyAction, false},
                 {"files, move only", true, Qt::MoveAction, false}};
    for (const Case& c : cases) {
        VTDropInTipsView view;
        auto data = c.withFiles ? filesData({QStringLiteral("/tmp/a b.mp3")})
                                : std::make_unique<QMimeData>();
        if (!c.withFiles)
            data->setImageData(QImage(4, 4, QImage::Format_RGB32));
        EXPECT_EQ(view.draggingEntered(data.get(), c.actions), c.lights) << c.name;
        EXPECT_EQ(view.bHighlighted(), c.lights) << c.name;
        view.draggingExited();
        EXPECT_FALSE(view.bHighlighted()) << c.name;
    }
}

TEST(VTDropInTipsView, DropsGoToTheDelegateWhenThereIsOne) {
    VTDropInTipsView view;
    const QStringList paths = {QStringLiteral("/music/-leading dash.flac"),
                               QStringLiteral("/music/Ünïcode 'quote'.mp3")};
    auto files = filesData(paths);
    auto picture = std::make_unique<QMimeData>();
    picture->setImageData(QImage(4, 4, QImage::Format_RGB32));

    EXPECT_TRUE(view.performDragOperation(files.get())) << "no delegate: accepted";

    RecordingDelegate delegate;
    view.setDelegate(&delegate);
    EXPECT_TRUE(view.performDragOperation(picture.get())) << "no file names: accepted";
    EXPECT_EQ(delegate.calls, 0);

    for (bool answer : {false, true}) {
        delegate.answer = answer;
        EXPECT_EQ(view.performDragOperation(files.get()), answer);
    }
    EXPECT_EQ(delegate.calls, 2);
    EXPECT_EQ(delegate.paths, paths);
}

TEST(VTTipsView, FirstDrawingGivesTheDefaultColours) {
    VTTipsView view;
    view.resize(200, 40);
    EXPECT_FALSE(view.bgColor().isValid());
    const QImage image = view.grab().toImage();
    EXPECT_EQ(view.bgColor(), QColor(33, 38, 44));
    EXPECT_EQ(view.strColor(), QColor(Qt::white));
    EXPECT_EQ(pixelAt(image, 100, 20).rgb(), QColor(33, 38, 44).rgb()) << "no text: plain bubble";

    view.setTipStr(QStringLiteral("Loading"));
    const QImage withText = view.grab().toImage();
    int light = 0;
    for (int x = 0; x < withText.width(); ++x)
        if (pixelAt(withText, x, 20).lightness() > 200)
            ++light;
    EXPECT_GT(light, 0);
}

TEST(VTViewUtiltiy, RemoveAllSubviewsEmptiesTheView) {
    QWidget parent;
    QPointer<QWidget> first = new QWidget(&parent);
    QPointer<QWidget> second = new QWidget(&parent);
    VTViewUtiltiy::removeAllSubviews(&parent);
    EXPECT_TRUE(parent.findChildren<QWidget*>().isEmpty());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(first.isNull());
    EXPECT_TRUE(second.isNull());
}
