// Preview start-up and decoding cost, through QVAudioPlayer with SDL's dummy audio driver:
// 60 s MP3 and FLAC files are started many times and the median time from play() to the
// first decoded samples handed to the audio device is printed as preview_start_ms=N; then
// each plays for a few seconds and the process's CPU time per second of audio played is
// printed as preview_cpu_ms_per_s=N.

#include "support/BenchSources.h"

#include "engine/LSMediaDecoder.h"
#include "engine/QVAudioPlayer.h"
#include "engine/QVMusicInfo.h"
#include "player/player_core.h"

extern "C" {
#include <libavutil/time.h>
}

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

constexpr int kStartsPerFile = 15;
constexpr int kPlaySeconds = 5;
const char* const kCacheFolder = "/tmp/quaverly-bench-preview";

struct Source {
    const char* name;
    QString path;
    QStringList codecArgs;
};

bool makeSource(const Source& source) {
    if (QFileInfo::exists(source.path))
        return true;
    QStringList args{QStringLiteral("-nostdin"),
                     QStringLiteral("-y"),
                     QStringLiteral("-f"),
                     QStringLiteral("lavfi"),
                     QStringLiteral("-i"),
                     QStringLiteral("sine=frequency=440:sample_rate=44100:duration=60"),
                     QStringLiteral("-ac"),
                     QStringLiteral("2")};
    args += source.codecArgs;
    args += source.path;
    return BenchSources::runToEnd(QStringLiteral("ffmpeg"), args);
}

template <typename Predicate> bool runUntil(Predicate predicate, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!predicate() && clock.elapsed() < timeoutMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        QThread::usleep(200);
    }
    return predicate();
}

std::shared_ptr<QVMusicInfo> rowFor(const QString& path) {
    auto row = std::make_shared<QVMusicInfo>();
    row->strFilePath = path;
    row->strMusicType = QStringLiteral("AAC");
    return row;
}

int64_t firstSamplesTime(QVAudioPlayer& player) {
    const LSMediaDecoder* decoder = player.decoder();
    const VideoState* state = decoder ? decoder->videoState() : nullptr;
    return state ? int64_t(state->first_audio_time) : 0;
}

// Milliseconds from play() to the first decoded samples at the device; negative on timeout.
double timeOneStart(QVAudioPlayer& player, const QString& path) {
    player.setPlayingMusic(rowFor(path));
    const int64_t started = av_gettime_relative();
    player.play();
    const bool ok = runUntil([&] { return firstSamplesTime(player) != 0; }, 5000);
    const double ms = ok ? double(firstSamplesTime(player) - started) / 1000.0 : -1.0;
    player.stop();
    return ms;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

struct PlayCost {
    double cpuSeconds = 0.0;
    double playedSeconds = 0.0;
};

PlayCost playFor(QVAudioPlayer& player, const QString& path, int seconds) {
    player.setPlayingMusic(rowFor(path));
    player.play();
    runUntil([&] { return firstSamplesTime(player) != 0; }, 5000);
    const double cpuBefore = BenchSources::ownCpuSeconds();
    const double timeBefore = player.decoder()->curDecodeTime();
    // Idle in the event loop, as the application does, so only the preview's work counts.
    QEventLoop loop;
    QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
    loop.exec();
    PlayCost cost;
    cost.playedSeconds = player.decoder()->curDecodeTime() - timeBefore;
    cost.cpuSeconds = BenchSources::ownCpuSeconds() - cpuBefore;
    player.stop();
    return cost;
}

} // namespace

int main(int argc, char** argv) {
    if (!std::getenv("SDL_AUDIODRIVER"))
        setenv("SDL_AUDIODRIVER", "dummy", 1);
    QCoreApplication app(argc, argv);
    av_log_set_level(AV_LOG_QUIET);
    player_global_init();

    QDir().mkpath(QString::fromLatin1(kCacheFolder));
    const QString folder = QString::fromLatin1(kCacheFolder);
    const std::vector<Source> sources{
        {"mp3",
         folder + QStringLiteral("/sine-60s.mp3"),
         {QStringLiteral("-c:a"), QStringLiteral("libmp3lame"), QStringLiteral("-b:a"),
          QStringLiteral("192k")}},
        {"flac", folder + QStringLiteral("/sine-60s.flac"), {}},
    };
    for (const Source& source : sources) {
        if (!makeSource(source)) {
            std::fprintf(stderr, "could not make %s\n", qPrintable(source.path));
            return 1;
        }
    }

    QVAudioPlayer& player = QVAudioPlayer::shareAudioPlayer();
    std::vector<double> all;
    for (const Source& source : sources) {
        std::vector<double> starts;
        for (int i = 0; i < kStartsPerFile; ++i) {
            const double ms = timeOneStart(player, source.path);
            if (ms < 0) {
                std::fprintf(stderr, "%s: no samples reached the device\n", source.name);
                return 1;
            }
            starts.push_back(ms);
        }
        std::printf("%s_start_ms median=%.1f min=%.1f max=%.1f\n", source.name, median(starts),
                    *std::min_element(starts.begin(), starts.end()),
                    *std::max_element(starts.begin(), starts.end()));
        all.insert(all.end(), starts.begin(), starts.end());
    }

    PlayCost total;
    for (const Source& source : sources) {
        const PlayCost cost = playFor(player, source.path, kPlaySeconds);
        std::printf("%s_cpu_ms_per_s=%.2f (%.2f s played)\n", source.name,
                    cost.cpuSeconds * 1000.0 / cost.playedSeconds, cost.playedSeconds);
        total.cpuSeconds += cost.cpuSeconds;
        total.playedSeconds += cost.playedSeconds;
    }
    player.setPlayingMusic(nullptr);

    std::printf("preview_start_ms=%.0f\n", median(all));
    std::printf("preview_cpu_ms_per_s=%.1f\n", total.cpuSeconds * 1000.0 / total.playedSeconds);
    return 0;
}
