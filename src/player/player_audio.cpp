// Audio output of a preview: the device, and its callback that decodes, resamples and hands
// out the samples while keeping the audio clock.

#include "player/player_core.h"
#include "player/player_internal.h"

extern "C" {
#include <libavutil/time.h>
}

#include <SDL2/SDL.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

std::atomic<int64_t> player_audio_callback_time{0};

namespace {

constexpr double kNoSyncThreshold = 10.0;
constexpr int kSampleCorrectionPercent = 10;

std::mutex gAudioMutex;
PlayerAudioDeviceOpener gDeviceOpener;

SDL_AudioDeviceID openSdlDevice(const SDL_AudioSpec& wanted, SDL_AudioSpec* obtained) {
    return SDL_OpenAudioDevice(nullptr, 0, &wanted, obtained,
                               SDL_AUDIO_ALLOW_FREQUENCY_CHANGE | SDL_AUDIO_ALLOW_CHANNELS_CHANGE);
}

SDL_AudioDeviceID openDevice(const SDL_AudioSpec& wanted, SDL_AudioSpec* obtained) {
    PlayerAudioDeviceOpener opener;
    {
        std::lock_guard lock(gAudioMutex);
        opener = gDeviceOpener;
    }
    return opener ? opener(wanted, obtained) : openSdlDevice(wanted, obtained);
}

// SDL's audio subsystem is counted: each state that opens a device holds it once.
bool acquireSdlAudio() {
    std::lock_guard lock(gAudioMutex);
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) == 0)
        return true;
    std::fprintf(stderr, "Could not initialize SDL audio: %s\n", SDL_GetError());
    return false;
}

void releaseSdlAudio() {
    std::lock_guard lock(gAudioMutex);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

struct ChannelLayout {
    AVChannelLayout layout{};
    ChannelLayout() = default;
    ChannelLayout(const ChannelLayout&) = delete;
    ChannelLayout& operator=(const ChannelLayout&) = delete;
    ~ChannelLayout() { av_channel_layout_uninit(&layout); }
    void setDefault(int channels) {
        av_channel_layout_uninit(&layout);
        av_channel_layout_default(&layout, channels);
    }
};

// The layout the device is asked for: the decoder's, or the default one for the channel
// count "SDL_AUDIO_CHANNELS" asks for.
void chooseWantedLayout(const AVChannelLayout* decoderLayout, ChannelLayout& wanted) {
    av_channel_layout_copy(&wanted.layout, decoderLayout);
    int channels = decoderLayout->nb_channels;
    if (const char* env = std::getenv("SDL_AUDIO_CHANNELS")) {
        channels = std::atoi(env);
        wanted.setDefault(channels);
    }
    if (wanted.layout.order == AV_CHANNEL_ORDER_UNSPEC || wanted.layout.nb_channels != channels)
        wanted.setDefault(channels);
}

SDL_AudioSpec wantedSpec(VideoState* is, int rate, int channels) {
    SDL_AudioSpec spec{};
    spec.freq = rate;
    spec.format = AUDIO_S16SYS;
    spec.channels = Uint8(std::min(channels, 255));
    spec.silence = 0;
    spec.samples = kPlayerAudioSamples;
    spec.callback = player_audio_fill;
    spec.userdata = is;
    return spec;
}

// Opens the device, trying fewer channels each time it refuses; 0 when nothing opens.
SDL_AudioDeviceID openWithRetries(SDL_AudioSpec& wanted, SDL_AudioSpec* obtained) {
    for (;;) {
        if (const SDL_AudioDeviceID dev = openDevice(wanted, obtained))
            return dev;
        std::fprintf(stderr, "SDL_OpenAudio (%d channels): %s\n", int(wanted.channels),
                     SDL_GetError());
        wanted.channels = Uint8(kPlayerNextChannelCount[std::min(7, int(wanted.channels))]);
        if (!wanted.channels) {
            std::fprintf(stderr, "No more channel combinations to try, audio open failed\n");
            return 0;
        }
    }
}

bool obtainedFormatSupported(const SDL_AudioSpec& obtained) {
    if (obtained.format != AUDIO_S16SYS) {
        std::fprintf(stderr, "SDL advised audio format %d is not supported!\n", obtained.format);
        return false;
    }
    if (obtained.channels <= 0) {
        std::fprintf(stderr, "SDL advised channel count %d is not supported!\n", obtained.channels);
        return false;
    }
    return true;
}

int bytesPerSecond(const AudioParams& params) {
    return params.freq * params.channels * av_get_bytes_per_sample(AVSampleFormat(params.fmt));
}

void copyParams(AudioParams* to, int freq, const AVChannelLayout* layout, int fmt) {
    to->freq = freq;
    to->channels = layout->nb_channels;
    av_channel_layout_uninit(&to->ch_layout);
    av_channel_layout_copy(&to->ch_layout, layout);
    to->fmt = fmt;
}

// The sample count to produce for a frame: corrected towards the master clock only when
// audio is not the master.
int synchronizeAudio(VideoState* is, int nb_samples) {
    const bool correct = is->av_sync_type == PLAYER_SYNC_EXTERNAL_CLOCK ||
                         (is->av_sync_type == PLAYER_SYNC_VIDEO_MASTER && is->video_stream >= 0);
    if (!correct)
        return nb_samples;
    const double diff = player_audio_clock(is) - player_master_clock(is);
    if (!(std::fabs(diff) < kNoSyncThreshold)) {
        is->audio_diff_avg_count = 0;
        is->audio_diff_cum = 0;
        return nb_samples;
    }
    is->audio_diff_cum = diff + is->audio_diff_avg_coef * is->audio_diff_cum;
    if (is->audio_diff_avg_count < kPlayerAudioDiffAvgNb) {
        is->audio_diff_avg_count++;
        return nb_samples;
    }
    const double average = is->audio_diff_cum * (1.0 - is->audio_diff_avg_coef);
    if (std::fabs(average) < is->audio_diff_threshold)
        return nb_samples;
    const int wanted = nb_samples + int(diff * is->audio_src.freq);
    const int margin = nb_samples * kSampleCorrectionPercent / 100;
    return std::clamp(wanted, nb_samples - margin, nb_samples + margin);
}

bool needsNewResampler(VideoState* is, const AVFrame* frame, const AVChannelLayout* layout,
                       int wanted) {
    return frame->format != is->audio_src.fmt ||
           av_channel_layout_compare(layout, &is->audio_src.ch_layout) != 0 ||
           frame->sample_rate != is->audio_src.freq ||
           (wanted != frame->nb_samples && !is->swr_ctx);
}

bool makeResampler(VideoState* is, const AVFrame* frame, const AVChannelLayout* layout) {
    swr_free(&is->swr_ctx);
    AudioParams& tgt = is->audio_tgt;
    // The 5.1 prototype takes the layouts as non-const; it only reads them.
    int err = swr_alloc_set_opts2(&is->swr_ctx, &tgt.ch_layout, AVSampleFormat(tgt.fmt), tgt.freq,
                                  const_cast<AVChannelLayout*>(layout),
                                  AVSampleFormat(frame->format), frame->sample_rate, 0, nullptr);
    if (err >= 0)
        err = swr_init(is->swr_ctx);
    if (err < 0) {
        std::fprintf(stderr,
                     "Cannot create sample rate converter for conversion of %d Hz %s %d channels "
                     "to %d Hz %s %d channels!\n",
                     frame->sample_rate, av_get_sample_fmt_name(AVSampleFormat(frame->format)),
                     layout->nb_channels, tgt.freq, av_get_sample_fmt_name(AVSampleFormat(tgt.fmt)),
                     tgt.channels);
        swr_free(&is->swr_ctx);
        return false;
    }
    copyParams(&is->audio_src, frame->sample_rate, layout, frame->format);
    return true;
}

// Resamples into the fixed output buffer; the converted byte count, or -1.
int resample(VideoState* is, const AVFrame* frame, int wanted) {
    const AudioParams& tgt = is->audio_tgt;
    const int bytesPerSample = av_get_bytes_per_sample(AVSampleFormat(tgt.fmt));
    const int capacity = kPlayerAudioBufferSize / tgt.channels / bytesPerSample;
    if (wanted != frame->nb_samples &&
        swr_set_compensation(is->swr_ctx,
                             (wanted - frame->nb_samples) * tgt.freq / frame->sample_rate,
                             wanted * tgt.freq / frame->sample_rate) < 0) {
        std::fprintf(stderr, "swr_set_compensation() failed\n");
        return -1;
    }
    uint8_t* out[] = {is->audio_buf2};
    const int converted =
        swr_convert(is->swr_ctx, out, capacity, const_cast<const uint8_t**>(frame->extended_data),
                    frame->nb_samples);
    if (converted < 0) {
        std::fprintf(stderr, "swr_convert() failed\n");
        return -1;
    }
    if (converted == capacity) {
        std::fprintf(stderr, "warning: audio buffer is probably too small\n");
        swr_init(is->swr_ctx);
    }
    is->audio_buf = is->audio_buf2;
    return converted * tgt.channels * bytesPerSample;
}

// The clock follows the decoded frames: their own time when they carry one, else the
// previous end plus their length.
void advanceAudioClock(VideoState* is, const AVFrame* frame) {
    int64_t pts = frame->pts;
    if (pts == AV_NOPTS_VALUE)
        pts = frame->best_effort_timestamp;
    if (pts != AV_NOPTS_VALUE)
        is->audio_clock = double(pts) * av_q2d(is->audio_dec->pkt_timebase);
    if (frame->sample_rate > 0)
        is->audio_clock += double(frame->nb_samples) / frame->sample_rate;
}

// Turns a decoded frame into device data at is->audio_buf; the byte count, or -1 when the
// frame cannot be converted.
int convertFrame(VideoState* is, const AVFrame* frame) {
    ChannelLayout layout;
    if (frame->ch_layout.order != AV_CHANNEL_ORDER_UNSPEC)
        av_channel_layout_copy(&layout.layout, &frame->ch_layout);
    else
        layout.setDefault(frame->ch_layout.nb_channels);
    const int dataSize = av_samples_get_buffer_size(
        nullptr, layout.layout.nb_channels, frame->nb_samples, AVSampleFormat(frame->format), 1);
    if (dataSize < 0)
        return -1;
    const int wanted = synchronizeAudio(is, frame->nb_samples);
    if (needsNewResampler(is, frame, &layout.layout, wanted) &&
        !makeResampler(is, frame, &layout.layout))
        return -1;
    int size = dataSize;
    if (is->swr_ctx)
        size = resample(is, frame, wanted);
    else
        is->audio_buf = frame->data[0];
    if (size >= 0)
        advanceAudioClock(is, frame);
    return size;
}

// Sends the next queued packet to the decoder; false when none is queued (or the queue is
// aborted). Never waits: the device must keep getting data, silence if need be.
bool feedDecoder(VideoState* is) {
    AVPacket pkt{};
    if (player_queue_get(&is->audioq, &pkt, 0) <= 0)
        return false;
    if (player_is_flush_packet(&pkt)) {
        avcodec_flush_buffers(is->audio_dec);
        is->audio_finished = 0;
        return true;
    }
    if (!is->audio_finished) {
        // An empty packet asks the decoder for what it still holds; a damaged one is
        // skipped.
        avcodec_send_packet(is->audio_dec, pkt.data || pkt.size ? &pkt : nullptr);
    }
    av_packet_unref(&pkt);
    return true;
}

// Decodes the next audio into is->audio_buf; the byte count, or -1 for silence.
int audioDecodeFrame(VideoState* is) {
    if (!is->frame && !(is->frame = av_frame_alloc()))
        return -1;
    for (;;) {
        if (is->paused)
            return -1;
        if (!is->audio_finished) {
            const int ret = avcodec_receive_frame(is->audio_dec, is->frame);
            if (ret >= 0) {
                const int size = convertFrame(is, is->frame);
                if (size >= 0)
                    return size;
                continue;
            }
            if (ret == AVERROR_EOF)
                is->audio_finished = 1;
        }
        if (!feedDecoder(is))
            return -1;
    }
}

void storeSamplesForDisplay(VideoState* is, const uint8_t* data, int size) {
    const auto* samples = reinterpret_cast<const int16_t*>(data);
    int count = size / int(sizeof(int16_t));
    while (count > 0) {
        const int room = kPlayerSampleArraySize - is->sample_array_index;
        const int n = std::min(room, count);
        std::memcpy(is->sample_array + is->sample_array_index, samples, size_t(n) * 2);
        samples += n;
        count -= n;
        is->sample_array_index = (is->sample_array_index + n) % kPlayerSampleArraySize;
    }
}

void refillAudioBuffer(VideoState* is) {
    const int size = audioDecodeFrame(is);
    if (size < 0) {
        const int frameSize =
            is->audio_tgt.channels * av_get_bytes_per_sample(AVSampleFormat(is->audio_tgt.fmt));
        is->audio_buf = is->silence_buf;
        is->audio_buf_size =
            unsigned(kPlayerSilenceBufferSize - kPlayerSilenceBufferSize % frameSize);
    } else {
        if (is->show_mode != PLAYER_SHOW_MODE_VIDEO)
            storeSamplesForDisplay(is, is->audio_buf, size);
        is->audio_buf_size = unsigned(size);
        if (size > 0 && is->first_audio_time == 0)
            is->first_audio_time = av_gettime_relative();
    }
    is->audio_buf_index = 0;
}

} // namespace

void player_set_audio_device_opener(PlayerAudioDeviceOpener opener) {
    std::lock_guard lock(gAudioMutex);
    gDeviceOpener = std::move(opener);
}

int player_audio_open(VideoState* is, const AVChannelLayout* decoder_layout, int wanted_rate,
                      AudioParams* params, SDL_AudioDeviceID* device) {
    *device = 0;
    ChannelLayout layout;
    chooseWantedLayout(decoder_layout, layout);
    if (wanted_rate <= 0 || layout.layout.nb_channels <= 0) {
        std::fprintf(stderr, "Invalid sample rate or channel count!\n");
        return -1;
    }
    if (!acquireSdlAudio())
        return -1;
    SDL_AudioSpec wanted = wantedSpec(is, wanted_rate, layout.layout.nb_channels);
    SDL_AudioSpec obtained{};
    const SDL_AudioDeviceID dev = openWithRetries(wanted, &obtained);
    if (!dev) {
        releaseSdlAudio();
        return -1;
    }
    if (!obtainedFormatSupported(obtained)) {
        SDL_CloseAudioDevice(dev);
        releaseSdlAudio();
        return -1;
    }
    is->audio_device_opened = 1;
    layout.setDefault(obtained.channels);
    copyParams(params, obtained.freq, &layout.layout, AV_SAMPLE_FMT_S16);
    *device = dev;
    return int(obtained.size);
}

void player_audio_publish(VideoState* is, SDL_AudioDeviceID device) {
    std::lock_guard lock(is->audio_pause_mutex);
    is->audio_dev = device;
}

void player_audio_close(VideoState* is) {
    {
        // Under the pause lock: the owner never pauses an id that is being closed (SDL
        // hands closed ids out again).
        std::lock_guard lock(is->audio_pause_mutex);
        if (const SDL_AudioDeviceID dev = is->audio_dev.exchange(0))
            SDL_CloseAudioDevice(dev);
    }
    if (is->audio_device_opened) {
        is->audio_device_opened = 0;
        releaseSdlAudio();
    }
}

void player_audio_fill(void* opaque, uint8_t* stream, int len) {
    auto* is = static_cast<VideoState*>(opaque);
    const int64_t callbackTime = av_gettime_relative();
    player_audio_callback_time = callbackTime;
    while (len > 0) {
        if (is->audio_buf_index >= int(is->audio_buf_size))
            refillAudioBuffer(is);
        const int n = std::min(int(is->audio_buf_size) - is->audio_buf_index, len);
        std::memcpy(stream, is->audio_buf + is->audio_buf_index, size_t(n));
        len -= n;
        stream += n;
        is->audio_buf_index += n;
    }
    // Silence is not part of the file's time: only decoded data still to play counts.
    const int unwritten =
        is->audio_buf == is->silence_buf ? 0 : int(is->audio_buf_size) - is->audio_buf_index;
    const double played = is->audio_clock - double(2 * is->audio_hw_buf_size + unwritten) /
                                                bytesPerSecond(is->audio_tgt);
    is->audio_current_pts = played;
    is->audio_current_pts_drift = played - double(callbackTime) / 1000000.0;
}

double player_audio_bytes_per_second(const AudioParams& params) {
    return bytesPerSecond(params);
}
