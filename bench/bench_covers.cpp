// Loading many covered tracks: 1,000 MP3s in 100 albums of ten, each track with its album's
// 1400x1400 JPEG front cover, loaded through LSMediaLoader as the main window does (probe,
// then tags). Prints the load's time, the time the tag reading alone takes for the same
// files, the process's resident memory after the load and its growth, the decoded size the
// covers would take, and whether a tag copy from a loaded row still gives an output its cover.
// Goals: load_s < 3, rss_after_load_mb < 300, output_cover_ok=1.

#include "support/BenchSources.h"

#include "engine/LSMedia.h"
#include "engine/LSMediaLoader.h"
#include "engine/QVMusicInfo.h"
#include "player/player_core.h"
#include "tags/MTEAudioCreator.h"
#include "tags/MTEAudioFile.h"
#include "tags/MTEFileType.h"
#include "tags/MTETagCopy.h"
#include "tags/MTETagText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>

#include <taglib/attachedpictureframe.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>

namespace {

constexpr int kTrackCount = 1000;
constexpr int kAlbumCount = 100;
constexpr int kCoverSide = 1400;
const char* const kFolder = "/tmp/quaverly-bench-covers";

QString trackPath(int i) {
    return QStringLiteral("%1/track-%2.mp3")
        .arg(QLatin1String(kFolder))
        .arg(i, 4, 10, QLatin1Char('0'));
}

QString albumFile(int album, const char* suffix) {
    return QStringLiteral("%1/album-%2%3")
        .arg(QLatin1String(kFolder))
        .arg(album, 3, 10, QLatin1Char('0'))
        .arg(QLatin1String(suffix));
}

// A cover with photographic detail, so its JPEG has a realistic size; each album its own.
bool makeCover(int album, const QString& path) {
    return BenchSources::runToEnd(QStringLiteral("ffmpeg"),
                                  {QStringLiteral("-v"), QStringLiteral("error"),
                                   QStringLiteral("-y"), QStringLiteral("-f"),
                                   QStringLiteral("lavfi"), QStringLiteral("-i"),
                                   QStringLiteral("mandelbrot=size=%1x%1:start_scale=%2")
                                       .arg(kCoverSide)
                                       .arg(2.0 + album * 0.02, 0, 'f', 2),
                                   QStringLiteral("-frames:v"), QStringLiteral("1"),
                                   QStringLiteral("-q:v"), QStringLiteral("3"), path});
}

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool makeAlbumTrack(const QString& path, const QByteArray& jpeg) {
    if (!BenchSources::runToEnd(QStringLiteral("ffmpeg"),
                                {QStringLiteral("-v"), QStringLiteral("error"),
                                 QStringLiteral("-y"), QStringLiteral("-f"),
                                 QStringLiteral("lavfi"), QStringLiteral("-i"),
                                 QStringLiteral("sine=duration=4"), QStringLiteral("-metadata"),
                                 QStringLiteral("title=Covered"), path}))
        return false;
    TagLib::MPEG::File file(QFile::encodeName(path).constData());
    auto frame = std::make_unique<TagLib::ID3v2::AttachedPictureFrame>();
    frame->setType(TagLib::ID3v2::AttachedPictureFrame::FrontCover);
    frame->setMimeType("image/jpeg");
    frame->setPicture(TagLib::ByteVector(jpeg.constData(), unsigned(jpeg.size())));
    file.ID3v2Tag(true)->addFrame(frame.release());
    return file.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripOthers);
}

bool prepareAlbum(int album) {
    const QString cover = albumFile(album, ".jpg");
    const QString track = albumFile(album, ".mp3");
    if (!QFileInfo::exists(cover) && !makeCover(album, cover))
        return false;
    if (!QFileInfo::exists(track) && !makeAlbumTrack(track, fileBytes(cover)))
        return false;
    for (int i = album; i < kTrackCount; i += kAlbumCount) {
        if (!QFileInfo::exists(trackPath(i)) && !QFile::copy(track, trackPath(i)))
            return false;
    }
    return true;
}

bool prepareTracks(qint64* coverBytes) {
    QDir().mkpath(QLatin1String(kFolder));
    std::atomic<bool> ok{true};
    BenchSources::onPool(kAlbumCount, 4, [&](int album) {
        if (!prepareAlbum(album))
            ok = false;
    });
    *coverBytes = 0;
    for (int album = 0; album < kAlbumCount; ++album)
        *coverBytes += QFileInfo(albumFile(album, ".jpg")).size();
    return ok;
}

class CompletionWait : public LSMediaLoaderDelegate {
public:
    void mediaLoaderDidCompleteLoadMediasFailedIndex(std::shared_ptr<LSMediaArray>,
                                                     std::shared_ptr<LSMediaIndexSet> failed,
                                                     quint64) override {
        std::lock_guard lock(_mutex);
        failedCount = failed ? int(failed->size()) : -1;
        _done = true;
        _changed.notify_all();
    }
    void wait() {
        std::unique_lock lock(_mutex);
        _changed.wait(lock, [&] { return _done; });
    }
    int failedCount = 0;

private:
    std::mutex _mutex;
    std::condition_variable _changed;
    bool _done = false;
};

template <typename Work> double secondsOf(Work work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double residentMegabytes() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1.0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return -1.0;
}

LSMediaArray rowsForTracks() {
    LSMediaArray rows;
    for (int i = 0; i < kTrackCount; ++i) {
        auto row = std::make_shared<QVMusicInfo>();
        row->strFilePath = trackPath(i);
        row->mediaInfo = std::make_shared<LSMedia>();
        row->mediaInfo->strMediaFilePath_ = row->strFilePath;
        rows.push_back(row);
    }
    return rows;
}

// A fresh encode of one loaded row gets its cover through the tag copy.
bool outputGetsTheCover(const QVMusicInfo& row) {
    const QString output = QLatin1String(kFolder) + QStringLiteral("/output.mp3");
    QFile::remove(output);
    if (!BenchSources::runToEnd(QStringLiteral("ffmpeg"),
                                {QStringLiteral("-v"), QStringLiteral("error"),
                                 QStringLiteral("-y"), QStringLiteral("-i"), row.strFilePath,
                                 QStringLiteral("-vn"), output}) ||
        MTETagCopy::handleMetadataSave(row.dicToMetadata, MTEFileTypeMpeg, output) !=
            MTETagWriteResult::Written)
        return false;
    TagLib::MPEG::File file(QFile::encodeName(output).constData());
    if (!file.hasID3v2Tag())
        return false;
    for (const auto* frame : file.ID3v2Tag()->frameListMap()["APIC"]) {
        const auto* picture = dynamic_cast<const TagLib::ID3v2::AttachedPictureFrame*>(frame);
        const QImage image =
            QImage::fromData(reinterpret_cast<const uchar*>(picture->picture().data()),
                             int(picture->picture().size()));
        if (image.size() == QSize(kCoverSide, kCoverSide))
            return true;
    }
    return false;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    av_log_set_level(AV_LOG_QUIET);
    player_global_init();

    qint64 coverBytes = 0;
    if (!prepareTracks(&coverBytes)) {
        std::fprintf(stderr, "could not make the covered tracks in %s\n", kFolder);
        return 1;
    }
    const double rssBefore = residentMegabytes();
    LSMediaArray rows = rowsForTracks();
    CompletionWait delegate;
    LSMediaLoader loader;
    loader.setDelegate(&delegate);
    const double seconds = secondsOf([&] {
        loader.loadMediasWithMediaArray(rows);
        delegate.wait();
    });
    const double rssAfter = residentMegabytes();

    int withCover = 0;
    for (const auto& row : rows)
        withCover += row->dicToMetadata.value(QStringLiteral("APIC")).isValid() ? 1 : 0;
    const double decodedMegabytes = double(kTrackCount) * kCoverSide * kCoverSide * 4 / 1048576.0;

    std::printf("tracks=%d failed=%d with_cover=%d\n", kTrackCount, delegate.failedCount,
                withCover);
    std::printf("albums=%d cover_kb_average=%.0f\n", kAlbumCount,
                double(coverBytes) / kAlbumCount / 1024.0);
    std::printf("tag_read_s=%.2f\n", secondsOf([] {
                    for (int i = 0; i < kTrackCount; ++i)
                        MTEAudioCreator::sharedMTEAudioCreator().creatFileWithPathShouldDump(
                            trackPath(i), true);
                }));
    std::printf("decoded_covers_would_take_mb=%.0f\n", decodedMegabytes);
    std::printf("rss_before_load_mb=%.0f\n", rssBefore);
    std::printf("rss_growth_mb=%.0f\n", rssAfter - rssBefore);
    std::printf("output_cover_ok=%d\n", outputGetsTheCover(*rows.front()) ? 1 : 0);
    std::printf("load_s=%.2f\n", seconds);
    std::printf("rss_after_load_mb=%.0f\n", rssAfter);
    return 0;
}
