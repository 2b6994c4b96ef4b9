// Selecting rows of a file table that feeds the detail pane, as a window that places the
// pane does, with rows whose covers are hard to decode: 6000x6000 PNGs and JPEGs of a few
// hundred bytes whose headers claim 8190x8190 pixels. A row is selected every 40 ms, three
// times over, while a main-thread timer notes the longest gap between its ticks; the same
// selections over the same rows without covers give the baseline, in the same run.
// Prints detail_select_max_stall_ms (goal under 50), the baseline's and their ratio, what
// one such cover costs when decoded on the main thread, and how long a PNG cover takes to
// show. Leaves a render of the window with the pane in /tmp/quaverly-bench-detail.

#include "support/BenchCovers.h"
#include "support/StallMeter.h"

#include "engine/LSMedia.h"
#include "engine/QVMusicInfo.h"
#include "tags/MTEAudioFile.h"
#include "tags/MTECoverDecoder.h"
#include "tags/MTETagText.h"
#include "views/QVCoverThumbnails.h"
#include "views/QVDetailView.h"
#include "views/QVImageScale.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QStandardItemModel>
#include <QTableView>
#include <QTimer>

#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int kPasses = 3;
constexpr int kSelectEveryMs = 40;
const char* const kFolder = "/tmp/quaverly-bench-detail";

std::shared_ptr<QVMusicInfo> makeRow(int i, const QByteArray& cover) {
    auto row = std::make_shared<QVMusicInfo>();
    row->strFilePath = QStringLiteral("/music/Track %1.flac").arg(i);
    row->mediaInfo = std::make_shared<LSMedia>();
    row->mediaInfo->strMediaFilePath_ = row->strFilePath;
    row->mediaInfo->strACodecName = QStringLiteral("flac");
    row->mediaInfo->eumMediaType = LSMediaTypeAudio;
    auto tags = std::make_shared<MTEAudioFile>();
    tags->dicMap = {{QStringLiteral("Title"), QStringLiteral("TITLE")},
                    {QStringLiteral("AlbumImg"), QStringLiteral("COVER")}};
    tags->dicReadInfo = {{QStringLiteral("TITLE"), QStringLiteral("Track %1").arg(i)}};
    // As the tag readers keep them: checked from the header only, held encoded.
    if (const QByteArray bytes = MTETagText::coverBytes(cover); !bytes.isNull())
        tags->dicReadInfo.insert(QStringLiteral("COVER"), bytes);
    row->metHandler = tags;
    return row;
}

// A file table beside the detail pane; selecting a row shows it in the pane.
class PaneWindow {
public:
    explicit PaneWindow(std::vector<std::shared_ptr<QVMusicInfo>> rows)
        : _rows(std::move(rows)), _model(int(_rows.size()), 1) {
        for (int i = 0; i < int(_rows.size()); ++i)
            _model.setData(_model.index(i, 0), _rows[size_t(i)]->strFilePath);
        auto* layout = new QHBoxLayout(&_window);
        _table = new QTableView(&_window);
        _table->setModel(&_model);
        _table->setSelectionBehavior(QAbstractItemView::SelectRows);
        _table->horizontalHeader()->setStretchLastSection(true);
        _pane = new QVDetailView(&_window);
        _pane->setFixedSize(_pane->sizeHint());
        layout->addWidget(_table, 1);
        layout->addWidget(_pane, 0, Qt::AlignTop);
        QObject::connect(_table->selectionModel(), &QItemSelectionModel::currentRowChanged, _pane,
                         [this](const QModelIndex& current) {
                             _pane->setMusicInfo(_rows[size_t(current.row())]);
                         });
        _window.resize(640, 260);
        _window.show();
        QApplication::processEvents();
    }

    void select(int row) { _table->selectRow(row); }
    int rowCount() const { return int(_rows.size()); }
    QVDetailView& pane() { return *_pane; }
    QWidget& window() { return _window; }
    bool isDecoding() const { return _pane->findChild<QVCoverThumbnails*>()->isDecoding(); }

private:
    std::vector<std::shared_ptr<QVMusicInfo>> _rows;
    QStandardItemModel _model;
    QWidget _window;
    QTableView* _table = nullptr;
    QVDetailView* _pane = nullptr;
};

// Selects every row kPasses times, one every kSelectEveryMs, then waits for the decodes
// the selections started; the longest main-thread stall meanwhile.
double longestStallSelecting(PaneWindow& window) {
    StallMeter meter;
    meter.start();
    int step = 0;
    QTimer selector;
    QObject::connect(&selector, &QTimer::timeout,
                     [&] { window.select(step++ % window.rowCount()); });
    selector.start(kSelectEveryMs);
    BenchCovers::waitUntil([&] { return step >= kPasses * window.rowCount(); });
    selector.stop();
    BenchCovers::waitUntil([&] { return !window.isDecoding(); });
    return meter.stop();
}

// What selecting the row cost when the pane decoded its cover in full on the main thread.
double mainThreadDecodeMs(const QByteArray& cover) {
    return BenchCovers::millisecondsOf([&] {
        const QImage image = MTECoverDecoder::decodeBytes(cover).image;
        QVImageScale::scaledImageToFitSize(image, QSizeF(80, 80));
    });
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    MTECoverDecoder::installAllocationLimit();

    const std::vector<QByteArray> covers = BenchCovers::hardCovers(QLatin1String(kFolder));
    std::vector<std::shared_ptr<QVMusicInfo>> covered;
    std::vector<std::shared_ptr<QVMusicInfo>> bare;
    for (int i = 0; i < int(covers.size()); ++i) {
        covered.push_back(makeRow(i, covers[size_t(i)]));
        bare.push_back(makeRow(i, {}));
    }
    if (covered.front()->metHandler->dicReadInfo.size() != 2 ||
        covered[1]->metHandler->dicReadInfo.size() != 2) {
        std::fprintf(stderr, "the covers were not taken as pictures\n");
        return 1;
    }

    PaneWindow baselineWindow(bare);
    const double baselineMs = longestStallSelecting(baselineWindow);
    PaneWindow coveredWindow(covered);
    const double stallMs = longestStallSelecting(coveredWindow);

    // A PNG cover not decoded yet: from its selection until it shows.
    PaneWindow freshWindow(covered);
    QElapsedTimer shown;
    shown.start();
    freshWindow.select(0);
    BenchCovers::waitUntil([&] { return !freshWindow.pane().imageView()->pixmap().isNull(); });
    const double pngShownMs = shown.nsecsElapsed() / 1e6;
    freshWindow.window().grab().save(QStringLiteral("%1/window.png").arg(QLatin1String(kFolder)));

    std::printf("detail_png_cover_kb=%.0f\n", covers[0].size() / 1024.0);
    std::printf("detail_claim_jpeg_bytes=%lld\n", static_cast<long long>(covers[1].size()));
    std::printf("detail_main_thread_decode_png_ms=%.1f\n", mainThreadDecodeMs(covers[0]));
    std::printf("detail_main_thread_decode_claim_jpeg_ms=%.1f\n", mainThreadDecodeMs(covers[1]));
    std::printf("detail_png_cover_shown_after_ms=%.1f\n", pngShownMs);
    std::printf("detail_select_baseline_max_stall_ms=%.1f\n", baselineMs);
    std::printf("detail_select_max_stall_ms=%.1f\n", stallMs);
    std::printf("detail_select_stall_vs_no_covers_ratio=%.2f\n", stallMs / baselineMs);
    std::printf("detail_select_stall_under_50ms=%d\n", stallMs < 50.0 ? 1 : 0);
    return 0;
}
