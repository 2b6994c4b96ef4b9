// Opening the metadata editor on rows whose covers are hard to decode: 6000x6000 PNGs and
// JPEGs of a few hundred bytes whose headers claim 8190x8190 pixels, held encoded as the tag
// readers keep them. Each row is opened on the artwork tab, its information tab shown 40 ms
// later, the artwork tab again 40 ms after that, and the editor closed 40 ms later, twice
// over, while a main-thread timer notes the longest gap between its ticks; the same
// openings of the same rows without covers give the baseline, in the same run. Then each
// row is opened once more and left open until its pictures have arrived.
// Prints editor_open_max_stall_ms (goal under 50), the baseline's and their ratio, what one
// such cover cost when the editor decoded it on the main thread (three times an opening:
// the base picture, the well and the information tab), how long a PNG cover takes to show,
// and how long an editor and a detail view take to go while a PNG cover decodes, against
// the same without a cover. Leaves renders of the editor before and after a cover arrives
// in /tmp/quaverly-bench-editor.

#include "support/BenchCovers.h"
#include "support/StallMeter.h"

#include "engine/LSMedia.h"
#include "engine/QVDataEngine.h"
#include "engine/QVMusicInfo.h"
#include "shell/QVMetadataEditWndCtlr.h"
#include "tags/MTEAudioCreator.h"
#include "tags/MTEAudioFile.h"
#include "tags/MTECoverDecoder.h"
#include "tags/MTEFileType.h"
#include "tags/MTETagKeyMap.h"
#include "tags/MTETagText.h"
#include "views/QVCoverThumbnails.h"
#include "views/QVDetailView.h"
#include "views/QVDraggingImageView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTabWidget>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int kPngSide = 6000;
constexpr int kPngCovers = 3;
constexpr int kClaimCovers = 6;
constexpr int kPasses = 2;
constexpr int kStepMs = 40;
const char* const kFolder = "/tmp/quaverly-bench-editor";

std::shared_ptr<QVMusicInfo> makeRow(int i, const QByteArray& cover) {
    auto row = std::make_shared<QVMusicInfo>();
    row->strFilePath = QStringLiteral("/music/Track %1.mp3").arg(i);
    row->strMusicType = QStringLiteral("MP3");
    row->mediaInfo = std::make_shared<LSMedia>();
    row->mediaInfo->strMediaFilePath_ = row->strFilePath;
    row->mediaInfo->strACodecName = QStringLiteral("mp3");
    row->mediaInfo->eumMediaType = LSMediaTypeAudio;
    row->metHandler = MTEAudioCreator::makeHandlerOfType(MTEFileTypeMpeg);
    row->metHandler->eumFileType = MTEFileTypeMpeg;
    row->metHandler->dicMap =
        MTETagKeyMap::familyMap(MTETagKeyMap::familyOfFileType(MTEFileTypeMpeg));
    row->dicToMetadata = {{QStringLiteral("TIT2"), QStringLiteral("Track %1").arg(i)},
                          {QStringLiteral("TPE1"), QStringLiteral("The Benchmarks")}};
    // As the tag readers keep them: checked from the header only, held encoded.
    if (const QByteArray bytes = MTETagText::coverBytes(cover); !bytes.isNull())
        row->dicToMetadata.insert(QStringLiteral("APIC"), bytes);
    return row;
}

bool isDecoding(const QObject& owner) {
    const QList<QVCoverThumbnails*> all = owner.findChildren<QVCoverThumbnails*>();
    return std::any_of(all.begin(), all.end(), [](auto* covers) { return covers->isDecoding(); });
}

// The editor as the main window opens it, without its modal loop: the loop would only run
// the same events.
class EditorBench {
public:
    EditorBench()
        : _chosen(QVDataEngine::shareInstance().getFormatWithName(QStringLiteral("MP3"))),
          _editor(QVDataEngine::shareInstance(), [this] { return _chosen; }) {}

    void open(const std::shared_ptr<QVMusicInfo>& row, int tab) {
        _editor.tabView()->setCurrentIndex(tab);
        _editor.setMusicInfo(row);
        _editor.show();
    }
    QVMetadataEditWndCtlr& editor() { return _editor; }

private:
    std::optional<QVFormatSetting> _chosen;
    QVMetadataEditWndCtlr _editor;
};

// Opens every row kPasses times, a step every kStepMs, then waits for the decodes the
// openings started; the longest main-thread stall meanwhile.
double longestStallOpening(const std::vector<std::shared_ptr<QVMusicInfo>>& rows) {
    EditorBench bench;
    QVMetadataEditWndCtlr& editor = bench.editor();
    StallMeter meter;
    meter.start();
    const int stepsPerRow = 4;
    const int steps = kPasses * int(rows.size()) * stepsPerRow;
    int step = 0;
    QTimer stepper;
    QObject::connect(&stepper, &QTimer::timeout, [&] {
        const auto& row = rows[size_t(step / stepsPerRow % int(rows.size()))];
        switch (step++ % stepsPerRow) {
        case 0:
            bench.open(row, QVMetadataEditWndCtlr::kTabArtwork);
            break;
        case 1:
            editor.tabView()->setCurrentIndex(QVMetadataEditWndCtlr::kTabInfo);
            break;
        case 2:
            editor.tabView()->setCurrentIndex(QVMetadataEditWndCtlr::kTabArtwork);
            break;
        default:
            editor.clickCancel();
            break;
        }
    });
    stepper.start(kStepMs);
    BenchCovers::waitUntil([&] { return step >= steps; });
    stepper.stop();
    // Each row once more, left open until its pictures are there.
    for (const auto& row : rows) {
        bench.open(row, QVMetadataEditWndCtlr::kTabArtwork);
        editor.tabView()->setCurrentIndex(QVMetadataEditWndCtlr::kTabInfo);
        editor.tabView()->setCurrentIndex(QVMetadataEditWndCtlr::kTabArtwork);
        BenchCovers::waitUntil([&] { return !isDecoding(editor); });
        editor.clickCancel();
    }
    return meter.stop();
}

// What opening cost when the editor decoded the cover in full on the main thread, once for
// the base picture, once for the well and once for the information tab.
double mainThreadDecodeMs(const QByteArray& cover) {
    return BenchCovers::millisecondsOf([&] {
        for (int i = 0; i < 3; ++i)
            MTETagText::imageOfValue(cover);
    });
}

// How long a window takes to go 20 ms after it asked for the row's cover.
template <typename Window>
double goingMs(const std::function<void(Window&)>& show, const std::function<bool()>& settled) {
    auto window = std::make_unique<Window>();
    show(*window);
    QThread::msleep(20);
    const double ms = BenchCovers::millisecondsOf([&] { window.reset(); });
    BenchCovers::waitUntil(settled);
    return ms;
}

double editorGoingMs(const std::shared_ptr<QVMusicInfo>& row) {
    return goingMs<EditorBench>([&](EditorBench& bench) { bench.open(row, 0); },
                                [] { return QVCoverThumbnails::waitForAllDecodes(0); });
}

double detailViewGoingMs(const std::shared_ptr<QVMusicInfo>& row) {
    auto detailRow = std::make_shared<QVMusicInfo>(*row);
    auto tags = std::make_shared<MTEAudioFile>();
    tags->dicMap = row->metHandler->dicMap;
    tags->dicReadInfo = row->dicToMetadata;
    detailRow->metHandler = tags;
    return goingMs<QVDetailView>([&](QVDetailView& view) { view.setMusicInfo(detailRow); },
                                 [] { return QVCoverThumbnails::waitForAllDecodes(0); });
}

void saveRender(QWidget& window, const char* name) {
    window.grab().save(
        QStringLiteral("%1/%2.png").arg(QLatin1String(kFolder), QLatin1String(name)));
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    MTECoverDecoder::installAllocationLimit();
    MTETagKeyMap::prepareMusicTagMapInfo();

    const std::vector<QByteArray> covers =
        BenchCovers::hardCovers(QLatin1String(kFolder), kPngCovers, kPngSide, kClaimCovers);
    std::vector<std::shared_ptr<QVMusicInfo>> covered;
    std::vector<std::shared_ptr<QVMusicInfo>> bare;
    for (int i = 0; i < int(covers.size()); ++i) {
        covered.push_back(makeRow(i, covers[size_t(i)]));
        bare.push_back(makeRow(i, {}));
    }
    if (!covered[0]->dicToMetadata.contains(QStringLiteral("APIC")) ||
        !covered[1]->dicToMetadata.contains(QStringLiteral("APIC"))) {
        std::fprintf(stderr, "the covers were not taken as pictures\n");
        return 1;
    }

    const double baselineMs = longestStallOpening(bare);
    const double stallMs = longestStallOpening(covered);

    // A PNG cover not decoded yet: from the opening until the well shows it.
    EditorBench fresh;
    QElapsedTimer shown;
    shown.start();
    fresh.open(covered[0], QVMetadataEditWndCtlr::kTabArtwork);
    saveRender(fresh.editor(), "editor-artwork-decoding");
    BenchCovers::waitUntil([&] { return !fresh.editor().artworkWell()->image().isNull(); });
    const double pngShownMs = shown.nsecsElapsed() / 1e6;
    saveRender(fresh.editor(), "editor-artwork-decoded");
    fresh.open(covered[1], QVMetadataEditWndCtlr::kTabInfo);
    saveRender(fresh.editor(), "editor-info-decoding");
    BenchCovers::waitUntil([&] { return !isDecoding(fresh.editor()); });
    saveRender(fresh.editor(), "editor-info-decoded");
    fresh.editor().clickCancel();

    // Covers these windows have not decoded yet.
    const double editorGoesMs = editorGoingMs(makeRow(100, covers[2]));
    const double editorBaselineGoesMs = editorGoingMs(bare[2]);
    const double detailGoesMs = detailViewGoingMs(makeRow(101, covers[4]));
    const double detailBaselineGoesMs = detailViewGoingMs(bare[4]);

    std::printf("editor_png_cover_kb=%.0f\n", covers[0].size() / 1024.0);
    std::printf("editor_claim_jpeg_bytes=%lld\n", static_cast<long long>(covers[1].size()));
    std::printf("editor_main_thread_decodes_png_ms=%.1f\n", mainThreadDecodeMs(covers[0]));
    std::printf("editor_main_thread_decodes_claim_jpeg_ms=%.1f\n", mainThreadDecodeMs(covers[1]));
    std::printf("editor_png_cover_shown_after_ms=%.1f\n", pngShownMs);
    std::printf("editor_open_baseline_max_stall_ms=%.1f\n", baselineMs);
    std::printf("editor_open_max_stall_ms=%.1f\n", stallMs);
    std::printf("editor_open_stall_vs_no_covers_ratio=%.2f\n", stallMs / baselineMs);
    std::printf("editor_open_stall_under_50ms=%d\n", stallMs < 50.0 ? 1 : 0);
    std::printf("editor_goes_while_png_decodes_ms=%.1f\n", editorGoesMs);
    std::printf("editor_goes_without_cover_ms=%.1f\n", editorBaselineGoesMs);
    std::printf("editor_goes_ratio=%.2f\n", editorGoesMs / editorBaselineGoesMs);
    std::printf("detail_view_goes_while_png_decodes_ms=%.1f\n", detailGoesMs);
    std::printf("detail_view_goes_without_cover_ms=%.1f\n", detailBaselineGoesMs);
    std::printf("detail_view_goes_ratio=%.2f\n", detailGoesMs / detailBaselineGoesMs);
    return 0;
}
