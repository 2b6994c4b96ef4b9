#include "shell/ViewTestSupport.h"
#include "support/TestEnvironment.h"

#include "controls/VTTipsView.h"
#include "engine/LSMediaTypes.h"
#include "engine/QVMusicInfo.h"
#include "tags/MTEAudioFile.h"
#include "views/BDDiscreteProgressCellDelegate.h"
#include "views/LBProgressBar.h"
#include "views/QVBottomBkgView.h"
#include "views/QVDetailView.h"
#include "views/QVHelpView.h"
#include "views/QVItemStateView.h"
#include "views/QVMainWindow.h"
#include "views/QVOperationPanel.h"
#include "views/QVPoofEffect.h"
#include "views/RMTableView.h"
#include "views/VTDropInTipsView_Before.h"

#include <QHeaderView>
#include <QLabel>
#include <QStandardItemModel>
#include <QTest>

#include <gtest/gtest.h>

#include <iostream>

// Renders every view to PNG for a person to look at. QUAVERLY_RENDER_DIR keeps them;
// otherwise they go to the test's temporary folder.
namespace {
QString renderFolder() {
    static const QString folder = [] {
        const QString wanted = qEnvironmentVariable("QUAVERLY_RENDER_DIR");
        if (wanted.isEmpty())
            return TestEnvironment::makeTempFolder(QStringLiteral("renders"));
        QDir().mkpath(wanted);
        return wanted;
    }();
    return folder;
}

QImage saveRender(QWidget& widget, const QString& name) {
    const QImage image = renderOf(widget);
    const QString path = renderFolder() + QLatin1Char('/') + name + QStringLiteral(".png");
    EXPECT_TRUE(image.save(path)) << path.toStdString();
    std::cout << "rendered " << path.toStdString() << "\n";
    return image;
}

int distinctColours(const QImage& image) {
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 2)
        for (int x = 0; x < image.width(); x += 2)
            colours.insert(image.pixel(x, y));
    return colours.size();
}

class ProgressSource : public RMTableViewDataSource {
public:
    std::vector<std::shared_ptr<BDProgressIndicator>> bars;
    void tableViewWillDisplayCellForTableColumnRow(RMTableView*, BDDiscreteProgressCell& cell, int,
                                                   int row) override {
        if (row >= 0 && static_cast<size_t>(row) < bars.size())
            cell.setProgress(bars[static_cast<size_t>(row)]);
    }
};
} // namespace

TEST(ViewRender, DropAreaNormalAndHighlighted) {
    VTDropInTipsView_Before view;
    view.resize(560, 340);
    view.setStrPromot(QStringLiteral("Drag Musics Here To Convert"));
    EXPECT_GT(distinctColours(saveRender(view, QStringLiteral("drop-area"))), 3);
    view.setBHighlighted(true);
    const QImage lit = saveRender(view, QStringLiteral("drop-area-highlighted"));
    EXPECT_TRUE(sameRgb(lit.pixelColor(5, 5), QColor(117, 187, 231)));
}

TEST(ViewRender, FileTableWithProgressColumn) {
    QStandardItemModel model(8, 3);
    model.setHorizontalHeaderLabels(
        {QStringLiteral("Name"), QStringLiteral("Output Name"), QString()});
    ProgressSource source;
    const double values[] = {100,
                             62.5,
                             12,
                             0,
                             QVProgressWaiting,
                             QVProgressSyncing,
                             QVProgressFailed,
                             QVProgressCanceled};
    for (int row = 0; row < 8; ++row) {
        model.setItem(row, 0,
                      new QStandardItem(QStringLiteral("Artist %1 - Track title").arg(row)));
        model.setItem(row, 1, new QStandardItem(QStringLiteral("track %1").arg(row)));
        auto bar = std::make_shared<BDProgressIndicator>();
        bar->setDoubleValue(values[row]);
        source.bars.push_back(bar);
    }
    RMTableView table;
    table.setModel(&model);
    table.setDataSource(&source);
    table.setItemDelegateForColumn(2, new BDDiscreteProgressCellDelegate(&table));
    table.verticalHeader()->setDefaultSectionSize(17);
    table.horizontalHeader()->setStretchLastSection(true);
    table.setColumnWidth(0, 220);
    table.setColumnWidth(1, 140);
    table.resize(560, 200);
    table.selectRow(2);
    EXPECT_GT(distinctColours(saveRender(table, QStringLiteral("file-table"))), 10);
}

TEST(ViewRender, StateStripInEachLook) {
    auto row = std::make_shared<QVMusicInfo>();
    row->strFilePath = QStringLiteral("/music/Blue in Green.flac");
    row->strMusicType = QStringLiteral("MP3");
    row->mediaInfo = std::make_shared<LSMedia>();
    row->mediaInfo->dMovieDuration = 337;
    row->metHandler = std::make_shared<MTEAudioFile>();
    row->metHandler->dicMap = {{QStringLiteral("Artist"), QStringLiteral("ARTIST")}};
    row->metHandler->dicReadInfo = {{QStringLiteral("ARTIST"), QStringLiteral("The Quintet")}};
    struct Look {
        int state;
        const char* name;
        double value;
    } looks[] = {{QVAppStateIdle, "state-idle", 0},
                 {QVAppStateConverting, "state-converting", 45},
                 {QVAppStatePlaying, "state-playing", 120}};
    for (const Look& look : looks) {
        QVItemStateView view;
        view.resize(300, 44);
        view.updateForAppState(look.state, row);
        view.updateUiInMainThread(look.value);
        EXPECT_GT(distinctColours(saveRender(view, QString::fromLatin1(look.name))), 3);
    }
}

TEST(ViewRender, PanelsBandsAndBars) {
    QVOperationPanel panel;
    panel.resize(560, 44);
    EXPECT_TRUE(sameRgb(saveRender(panel, QStringLiteral("operation-panel")).pixelColor(200, 20),
                        QVOperationPanel::fillColor()));

    QVHelpView help;
    help.resize(560, 40);
    help.setTipsStr(QStringLiteral("Add files, choose a format, press Start"));
    saveRender(help, QStringLiteral("help-view"));

    QVBottomBkgView background;
    background.resize(300, 120);
    EXPECT_GT(distinctColours(saveRender(background, QStringLiteral("bottom-background"))), 4);

    for (double value : {0.0, 37.0, 100.0}) {
        LBProgressBar bar;
        bar.resize(300, 18);
        bar.setDoubleValue(value);
        saveRender(bar, QStringLiteral("lb-progress-%1").arg(value));
    }

    VTTipsView tips;
    tips.resize(220, 36);
    tips.setTipStr(QStringLiteral("3 files added"));
    saveRender(tips, QStringLiteral("tips-bubble"));

    const QPixmap cursor = QVPoofEffect::disappearingItemCursor();
    EXPECT_TRUE(cursor.save(renderFolder() + QStringLiteral("/drag-out-cursor.png")));
}

TEST(ViewRender, DetailPanel) {
    auto row = std::make_shared<QVMusicInfo>();
    row->strFilePath = QStringLiteral("/music/Blue in Green.flac");
    row->mediaInfo = std::make_shared<LSMedia>();
    LSMedia& media = *row->mediaInfo;
    media.strMediaFilePath_ = row->strFilePath;
    media.dABitrate = 912345;
    media.iChanels = 2;
    media.strACodecName = QStringLiteral("flac");
    media.eumMediaType = LSMediaTypeAudio;
    media.dSamplerate = 44100;
    media.dFileSize = 31.4 * 1048576;
    auto tags = std::make_shared<MTEAudioFile>();
    tags->dicMap = {{QStringLiteral("Title"), QStringLiteral("T")},
                    {QStringLiteral("Artist"), QStringLiteral("A")},
                    {QStringLiteral("Album"), QStringLiteral("L")},
                    {QStringLiteral("AlbumImg"), QStringLiteral("C")}};
    QImage cover(120, 120, QImage::Format_RGB32);
    cover.fill(QColor(70, 110, 170));
    tags->dicReadInfo = {{QStringLiteral("T"), QStringLiteral("Blue in Green")},
                         {QStringLiteral("A"), QStringLiteral("The Quintet")},
                         {QStringLiteral("L"), QStringLiteral("Kind of Blue")},
                         {QStringLiteral("C"), cover}};
    row->metHandler = tags;
    QVDetailView view;
    view.resize(300, 180);
    view.setMusicInfo(row);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !view.imageView()->pixmap().isNull(); }));
    EXPECT_GT(distinctColours(saveRender(view, QStringLiteral("detail-view"))), 4);
}

// The views together as the main window places them: the drop area over the empty table,
// the operation panel along the bottom.
TEST(ViewRender, EmptyMainWindowComposition) {
    QVMainWindow window;
    window.setObjectName(QStringLiteral("ConverterMainWindow"));
    window.setWindowTitle(QStringLiteral(" Quaverly"));
    window.resize(640, 420);
    auto* content = new QWidget(&window);
    window.setCentralWidget(content);
    QStandardItemModel model(0, 3);
    model.setHorizontalHeaderLabels(
        {QStringLiteral("Name"), QStringLiteral("Output Name"), QString()});
    auto* table = new RMTableView(content);
    table->setModel(&model);
    table->horizontalHeader()->setStretchLastSection(true);
    table->setColumnWidth(0, 260);
    table->setColumnWidth(1, 180);
    table->setGeometry(0, 0, 640, 388);
    auto* panel = new QVOperationPanel(content);
    panel->setGeometry(0, 388, 640, 32);
    auto* dropArea = new VTDropInTipsView_Before(content);
    dropArea->setStrPromot(QStringLiteral("Drag Musics Here To Convert"));
    // 32 above the bottom edge, 52 shorter than the window: it leaves the header and the
    // bottom bar uncovered.
    dropArea->setGeometry(0, 20, 640, 420 - 52);
    const QImage image = saveRender(window, QStringLiteral("main-window-empty"));
    EXPECT_TRUE(sameRgb(image.pixelColor(320, 60), QColor(236, 237, 235)));
    EXPECT_TRUE(sameRgb(image.pixelColor(320, 410), QVOperationPanel::fillColor()));
}
