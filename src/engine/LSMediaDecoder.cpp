#include "engine/LSMediaDecoder.h"

#include "engine/LSMedia.h"
#include "player/player_core.h"
#include "tags/MTEFfmpegMetadata.h"

#include <QTimer>

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/mem.h>
#include <libavutil/samplefmt.h>
}

#include <atomic>
#include <cstring>

namespace {
constexpr double kMinimumDuration = 3.0;
constexpr double kMicroseconds = 1000000.0;
// 1/24 s, as near as a millisecond timer gets.
constexpr int kTimerIntervalMs = 42;
// How long a seek gesture waits for the queued pictures to be taken.
constexpr int kPictureDrainWaitMs = 100;

std::atomic<double> gPlayVolume{0.0};
} // namespace

void LSMediaDecoder::VideoStateClose::operator()(VideoState* state) const {
    player_close(state);
}

LSMediaDecoder::LSMediaDecoder() = default;

LSMediaDecoder::~LSMediaDecoder() {
    releaseDecoder();
}

void LSMediaDecoder::allocVideoState() {
    is.reset(player_alloc_state());
}

void LSMediaDecoder::freeVideoState() {
    is.reset();
}

void LSMediaDecoder::releaseDecoder() {
    invalidateRefreshTimer();
    invalidateKillFreshTimer();
    freeVideoState();
}

bool LSMediaDecoder::setStateFileName(const QString& path) {
    const QByteArray utf8 = path.toUtf8();
    // Never cut a path short: the shortened name could open a different file.
    if (utf8.isEmpty() || utf8.size() >= kPlayerFileNameSize || utf8.contains('\0'))
        return false;
    std::memcpy(is->filename, utf8.constData(), size_t(utf8.size()));
    is->filename[utf8.size()] = '\0';
    return true;
}

void LSMediaDecoder::dumpMediaStreamInfoWithFileMedia(const QString& path, LSMedia& media) {
    media.eumErrorCode = LSMediaErrorNone;
    media.ffmpegTags.reset();
    allocVideoState();
    if (!is) {
        media.eumErrorCode = LSMediaErrorOpenFailed;
        return;
    }
    if (setStateFileName(path))
        player_probe_file(is.get());
    if (!is->ic)
        media.eumErrorCode = LSMediaErrorOpenFailed;
    else
        readProbeResult(media);
    player_close_probe(is.get());
    freeVideoState();
}

void LSMediaDecoder::readProbeResult(LSMedia& media) const {
    media.iVStream = is->video_stream;
    media.iAStream = is->audio_stream;
    media.iSStream = is->subtitle_stream;
    if (media.iVStream < 0 && media.iAStream < 0) {
        media.eumErrorCode = LSMediaErrorNoStream;
        return;
    }
    media.eumMediaType = media.iVStream < 0 ? LSMediaTypeAudio : LSMediaTypeVideo;
    media.strFmtName = QString::fromUtf8(is->ic->iformat->name);
    media.ffmpegTags = MTEFfmpegMetadata::entriesOf(is->ic);
    if (media.iAStream >= 0) {
        const AVCodecParameters* audio = is->ic->streams[media.iAStream]->codecpar;
        media.aCodecID = audio->codec_id;
        media.dABitrate = double(audio->bit_rate);
        media.dSamplerate = audio->sample_rate;
        media.iChanels = audio->ch_layout.nb_channels;
        media.iChannelLayout =
            audio->ch_layout.order == AV_CHANNEL_ORDER_NATIVE ? audio->ch_layout.u.mask : 0;
        media.strACodecName = QString::fromUtf8(avcodec_get_name(audio->codec_id));
        const char* sampleFormat = av_get_sample_fmt_name(AVSampleFormat(audio->format));
        media.strASampleSize = sampleFormat ? QString::fromUtf8(sampleFormat) : QString();
    }
    media.dMovieStartTime = 0.0;
    media.dMovieDuration = double(is->ic->duration) / kMicroseconds;
    if (media.dMovieDuration < kMinimumDuration) {
        media.eumErrorCode = LSMediaErrorTooShort;
        return;
    }
    media.dTrimStart = media.dMovieStartTime;
    media.dTrimLength = media.dMovieDuration;
    media.dSplitStart = 0.0;
    media.dSplitLength = media.dMovieStartTime + media.dMovieDuration;
}

void LSMediaDecoder::setPlayVolume(double volume) {
    gPlayVolume = volume;
}

double LSMediaDecoder::playVolume() {
    return gPlayVolume;
}

void LSMediaDecoder::showVideo() {
    show_mode = PLAYER_SHOW_MODE_VIDEO;
    if (is)
        is->show_mode = show_mode;
}

void LSMediaDecoder::showAudio() {
    show_mode = PLAYER_SHOW_MODE_WAVES;
    if (is)
        is->show_mode = show_mode;
}

void LSMediaDecoder::beginDecode() {
    // A second start replaces the first preview: its threads and device are closed first.
    freeVideoState();
    bStartFailed = false;
    allocVideoState();
    player_start_time = 0;
    if (!is || !setStateFileName(_strFilePath)) {
        freeVideoState();
        bStartFailed = true;
    } else {
        is->owner = this;
        is->show_mode = PLAYER_SHOW_MODE_NONE;
        // On failure the core has already freed the state.
        if (!player_start(is.get())) {
            (void)is.release();
            bStartFailed = true;
        }
    }
    bIsPaused = false;
    resumeRefreshTimer();
}

void LSMediaDecoder::pauseDecode() {
    if (bIsPaused) {
        if (is)
            player_pause_audio(is.get(), 0);
        resumeRefreshTimer();
        bIsPaused = false;
    } else {
        if (is)
            player_pause_audio(is.get(), 1);
        invalidateRefreshTimer();
        bIsPaused = true;
    }
}

std::unique_ptr<QTimer> LSMediaDecoder::makeTimer(void (LSMediaDecoder::*fired)()) {
    auto timer = std::make_unique<QTimer>();
    timer->setTimerType(Qt::PreciseTimer);
    timer->setInterval(kTimerIntervalMs);
    QObject::connect(timer.get(), &QTimer::timeout, timer.get(),
                     [this, fired] { (this->*fired)(); });
    timer->start();
    return timer;
}

void LSMediaDecoder::resumeRefreshTimer() {
    if (!refreshTimer)
        refreshTimer = makeTimer(&LSMediaDecoder::ffRefreshTimer);
}

void LSMediaDecoder::invalidateRefreshTimer() {
    refreshTimer.reset();
}

void LSMediaDecoder::resumeKillFreshTimer() {
    if (!timerToKillRefresh)
        timerToKillRefresh = makeTimer(&LSMediaDecoder::killFreshFired);
}

void LSMediaDecoder::invalidateKillFreshTimer() {
    timerToKillRefresh.reset();
}

void LSMediaDecoder::ffRefreshTimer() {
    if (bStartFailed || (is && player_has_failed(is.get()))) {
        invalidateRefreshTimer();
        bStartFailed = false;
        // The delegate may release this decoder: nothing follows the call.
        if (_delegate)
            _delegate->LSMediaDecoderPlaybackFailed(this);
        return;
    }
    if (is && player_file_is_open(is.get()) && _delegate)
        _delegate->LSMediaDecoderDecodeProgress(this, curDecodeTime());
}

void LSMediaDecoder::killFreshFired() {
    if (bBingled && bIsPaused) {
        bIsSeeking = false;
        invalidateRefreshTimer();
        invalidateKillFreshTimer();
    }
}

void LSMediaDecoder::pureSeekToTime(double) {}

bool LSMediaDecoder::noteCurrentTimeOncePicturesDrained() {
    if (!is || !player_wait_pictures_drained(is.get(), kPictureDrainWaitMs))
        return false;
    bBingled = false;
    dLastDecodeTime = curDecodeTime();
    return true;
}

void LSMediaDecoder::beginSeek(double) {
    bIsSeeking = true;
    noteCurrentTimeOncePicturesDrained();
    if (!bIsPaused) {
        if (is)
            player_pause_audio(is.get(), 1);
    } else {
        resumeRefreshTimer();
    }
}

void LSMediaDecoder::seekToTimeValue(double) {
    noteCurrentTimeOncePicturesDrained();
}

void LSMediaDecoder::endSeek(double) {
    if (!bIsPaused) {
        if (is)
            player_pause_audio(is.get(), 0);
        bIsSeeking = false;
    } else if (bBingled) {
        bIsSeeking = false;
        invalidateRefreshTimer();
    } else {
        resumeKillFreshTimer();
    }
}

double LSMediaDecoder::curDecodeTime() const {
    return is ? player_current_time(is.get()) : 0.0;
}

double LSMediaDecoder::movieDuration() const {
    if (!is || !player_file_is_open(is.get()))
        return 0.0;
    const int64_t end = player_file_end_time(is.get());
    return end == AV_NOPTS_VALUE ? 0.0 : double(end) / kMicroseconds;
}

void LSMediaDecoder::imgDisplayCallBackWidthHeight(const uint8_t* data, int width, int height) {
    if (_delegate)
        _delegate->decoderDidReplayImageDataWidthHeight(data, width, height);
}

void LSMediaDecoder::audioCallBackWithSamples(const QVariant& samples) {
    if (_delegate && !bIsSeeking)
        _delegate->audioCallBackWithSamples(samples);
}
