// A file named like MP3 that is not: a 400 MB WAV of silence named .mp3, loaded with a
// normal MP3 through LSMediaLoader as the main window does. Prints the load's time and,
// for comparison, how long TagLib's MPEG reader alone takes on the same file (the reader
// the extension alone would choose), then their ratio.
// Goal: mislabelled_load_s < 5.

#include "support/BenchSources.h"

#include "engine/LSMedia.h"
#include "engine/LSMediaLoader.h"
#include "engine/QVMusicInfo.h"
#include "player/player_core.h"
#include "tags/MTEAudioFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>

#include <taglib/mpegfile.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>

namespace {

const char* const kFolder = "/tmp/quaverly-bench-mislabelled";
constexpr qint64 kWaveBytes = 400LL * 1000 * 1000;

QString folderFile(const char* name) {
    return QLatin1String(kFolder) + u'/' + QLatin1String(name);
}

bool ffmpeg(const QStringList& arguments) {
    return BenchSources::runToEnd(
        QStringLiteral("ffmpeg"),
        QStringList{QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-y")} +
            arguments);
}

bool prepareFiles() {
    QDir().mkpath(QLatin1String(kFolder));
    const QString wave = folderFile("silence.mp3");
    if (QFileInfo(wave).size() < kWaveBytes) {
        const double seconds = double(kWaveBytes) / (44100.0 * 4.0);
        const QString part = wave + QStringLiteral(".part");
        if (!ffmpeg({QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                     QStringLiteral("anullsrc=r=44100:cl=stereo"), QStringLiteral("-t"),
                     QString::number(seconds, 'f', 1), QStringLiteral("-f"), QStringLiteral("wav"),
                     part}) ||
            !QFile::rename(part, wave))
            return false;
    }
    const QString song = folderFile("song.mp3");
    return QFileInfo::exists(song) ||
           ffmpeg({QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                   QStringLiteral("sine=duration=5"), QStringLiteral("-metadata"),
                   QStringLiteral("title=Song"), song});
}

class CompletionWait : public LSMediaLoaderDelegate {
public:
    void mediaLoaderDidCompleteLoadMediasFailedIndex(std::shared_ptr<LSMediaArray>,
                                                     std::shared_ptr<LSMediaIndexSet>,
                                                     quint64) override {
        std::lock_guard lock(_mutex);
        _done = true;
        _changed.notify_all();
    }
    void wait() {
        std::unique_lock lock(_mutex);
        _changed.wait(lock, [&] { return _done; });
    }

private:
    std::mutex _mutex;
    std::condition_variable _changed;
    bool _done = false;
};

std::shared_ptr<QVMusicInfo> rowFor(const QString& path) {
    auto row = std::make_shared<QVMusicInfo>();
    row->strFilePath = path;
    row->mediaInfo = std::make_shared<LSMedia>();
    row->mediaInfo->strMediaFilePath_ = path;
    return row;
}

// Reads the whole file once, so neither measurement pays for a cold page cache.
void warmUp(const QString& path) {
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) {
        while (!file.read(1 << 22).isEmpty()) {
        }
    }
}

template <typename Work> double secondsOf(Work work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    av_log_set_level(AV_LOG_QUIET);
    player_global_init();
    if (!prepareFiles()) {
        std::fprintf(stderr, "could not make the files in %s\n", kFolder);
        return 1;
    }
    const QString wave = folderFile("silence.mp3");
    warmUp(wave);

    const LSMediaArray rows{rowFor(wave), rowFor(folderFile("song.mp3"))};
    const double loadSeconds = secondsOf([&] {
        CompletionWait delegate;
        LSMediaLoader loader;
        loader.setDelegate(&delegate);
        loader.loadMediasWithMediaArray(rows);
        delegate.wait();
    });
    const double mpegReaderSeconds = secondsOf([&] {
        TagLib::MPEG::File file(QFile::encodeName(wave).constData(), true,
                                TagLib::AudioProperties::Average);
    });

    const auto typeOf = [](const std::shared_ptr<QVMusicInfo>& row) {
        return row->metHandler ? row->metHandler->eumFileType : -1;
    };
    std::printf("wave_mb=%.0f\n", double(QFileInfo(wave).size()) / 1e6);
    std::printf("wave_tag_family=%d song_tag_family=%d\n", typeOf(rows[0]), typeOf(rows[1]));
    std::printf("taglib_mpeg_reader_alone_s=%.2f\n", mpegReaderSeconds);
    std::printf("mpeg_reader_vs_load_ratio=%.1f\n", mpegReaderSeconds / loadSeconds);
    std::printf("mislabelled_load_s=%.2f\n", loadSeconds);
    return 0;
}
