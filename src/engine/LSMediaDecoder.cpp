#include "engine/LSMediaDecoder.h"

#include "engine/LSMedia.h"
#include "player/player_core.h"

extern "C" {
#include <libavutil/mem.h>
#include <libavutil/samplefmt.h>
}

#include <cstring>

namespace {
constexpr double kMinimumDuration = 3.0;
constexpr double kMicroseconds = 1000000.0;
} // namespace

void LSMediaDecoder::VideoStateClose::operator()(VideoState* state) const {
    player_close(state);
}

LSMediaDecoder::LSMediaDecoder() = default;

LSMediaDecoder::~LSMediaDecoder() {
    releaseDecoder();
}

void LSMediaDecoder::allocVideoState() {
    is.reset(static_cast<VideoState*>(av_mallocz(sizeof(VideoState))));
}

void LSMediaDecoder::freeVideoState() {
    is.reset();
}

void LSMediaDecoder::releaseDecoder() {
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
    if (media.iAStream >= 0) {
        const AVCodecParameters* audio = is->ic->streams[media.iAStream]->codecpar;
        media.aCodecID = audio->codec_id;
        media.dABitrate = double(audio->bit_rate);
        media.dSamplerate = audio->sample_rate;
        media.iChanels = audio->ch_layout.nb_channels;
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
